// The profile reader and writer on arbitrary file bytes, section, key and value: a write that
// reports success reads back (blanks and one pair of outer quotes dropped, cut to 254
// characters), and every line it did not touch keeps its bytes.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/text.h"
#include "store/profile.h"
#include "tests/fuzz/fuzzinput.h"

namespace {

using tintrix::fuzz::Fail;

// What a read gives back for a value written.
std::string ReadBack(std::string_view value) {
  value = tintrix::TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  std::string text(value);
  if (!tintrix::IsValidUtf8(text)) return "";  // read as Windows-1252; checked for size only
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (characters++ == 254) {
      text.resize(i);
      break;
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tintrix::fuzz::FuzzInput input(data, size);
  const std::string section = input.Next();
  const std::string key = input.Next();
  const std::string value = input.Next();
  const std::string file = input.Rest();

  tintrix::ProfileDocument document(file);
  if (!document.Set(section, key, value)) {
    if (document.bytes() != file) Fail("a refused write changed the file");
    return 0;
  }
  const std::optional<std::string> found = document.Find(section, key);
  if (!found) Fail("a written key is not found");
  if (tintrix::IsValidUtf8(value) && *found != ReadBack(value)) {
    Fail("a written value does not read back");
  }
  // Writing the same value again changes nothing more.
  tintrix::ProfileDocument again(document.bytes());
  if (!again.Set(section, key, value) || again.bytes() != document.bytes()) {
    Fail("a second write of the same value changed the file");
  }
  // Only the key's value changed, or lines were added: what the old file holds and the new
  // one does not lies within one line.
  const std::string& after = document.bytes();
  std::size_t prefix = 0;
  while (prefix < file.size() && prefix < after.size() && file[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < file.size() - prefix && suffix < after.size() - prefix &&
         file[file.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::string_view removed =
      std::string_view(file).substr(prefix, file.size() - prefix - suffix);
  if (removed.find_first_of("\r\n") != std::string_view::npos) Fail("another line changed");
  return 0;
}
