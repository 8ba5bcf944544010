#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "engine/charactertext.h"
#include "engine/color.h"
#include "engine/fadegenerator.h"
#include "engine/internal/fadeparts.h"
#include "engine/markupformat.h"
#include "engine/shortfadecolors.h"
#include "engine/status.h"

namespace tintrix::markup {

// Writes the characters of `text`, cut into `segments`, in the markup `options` asks for, with
// the blend it names (the generator's own arithmetic for rgb: double precision for 2 colours,
// single otherwise). Draws the wave from `wave` when wavy and the format writes one. Adds the
// colour tags written to *hooks.colorTags when that is set. Fails only when hooks.drain does.
Status WriteFormattedFade(std::span<const Channels> colors, const fadeparts::Segments& segments,
                          const CharacterText& text, bool wavy, const MarkupOptions& options,
                          fadeparts::Wave& wave, const FadeHooks& hooks, std::string& out);

// Writes the characters of `text`, character i in colour rgb[i] (0xRRGGBB; one colour per
// character), as WriteFormattedFade writes a fade's characters in their colours.
Status WriteColoredText(std::span<const std::uint32_t> rgb, const CharacterText& text, bool wavy,
                        const MarkupOptions& options, fadeparts::Wave& wave, const FadeHooks& hooks,
                        std::string& out);

// The colours WriteFormattedFade gives the characters of a text of at most
// ShortFadeColors::kMaxCharacters characters cut into `segments`, into rgb (room for 8 past
// them), before any levels; gives whether most neighbours differ in colour.
bool FillShortFade(std::span<const Channels> colors, const fadeparts::Segments& segments,
                   BlendSpace blend, std::uint32_t* rgb);

// Writes a short text's characters in the colours FillShortFade made, kept (`kept`, whose
// words it keeps too), as WriteFormattedFade writes them.
Status WriteShortFade(const ShortFadeColors::Kept& kept, const CharacterText& text, bool wavy,
                      const MarkupOptions& options, fadeparts::Wave& wave, const FadeHooks& hooks,
                      std::string& out);

// The printable ASCII bytes that a text's markup in `options` holds as they are, wherever they
// stand, and that nothing else in the markup depends on: neither escaped nor looked at by a
// rule of the format's or an option's (a blank under skipBlanks). Past ASCII, the bytes of
// which no character that holds them is escaped or looked at so (FadeGenerator::PlainBytes).
std::array<bool, 256> PlainBytes(const MarkupOptions& options);

// The colours WriteFormattedFade gives the characters of a text cut into `segments`, before
// any levels: colors.size() must be segments.count + 1, and `rgb` holds one per character.
void FadeColors(std::span<const Channels> colors, const fadeparts::Segments& segments,
                BlendSpace blend, std::span<std::uint32_t> rgb);

}  // namespace tintrix::markup
