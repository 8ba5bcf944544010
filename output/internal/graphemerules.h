#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

// The character break rules as tables made at compile time: the classes of code points that
// the rules tell apart, the rule between two neighbours, and the automaton that runs them with
// one lookup a code point. The cut (output/graphemes.cpp) walks them; the classes of code
// points come from ICU's data (graphemetables.h).
namespace tintrix::graphemes {

// What the character break rules see of a code point: its Grapheme_Cluster_Break value, split
// further where a rule needs more. Extend splits by combining class and Other by
// Extended_Pictographic; kVirama and kConsonant are the virama (an Extend with a combining
// class) and the consonants of the six scripts whose conjuncts ICU 72 keeps whole.
enum Class : std::uint8_t {
  kOther,
  kCr,
  kLf,
  kControl,
  kExtend,      // combining class 0
  kExtendMark,  // combining class not 0: part of a conjunct
  kVirama,
  kZwj,
  kRegional,
  kPrepend,
  kSpacingMark,
  kL,
  kV,
  kT,
  kLv,
  kLvt,
  kPictographic,
  kConsonant,
  kClassCount
};

// What the classes of two neighbours say about the boundary between them.
enum Rule : std::uint8_t { kBreak, kJoin, kJoinAfterPictographZwj, kJoinOddRegional, kJoinLinked };

constexpr bool IsAnyOf(Class x, std::initializer_list<Class> set) {
  for (const Class s : set) {
    if (x == s) return true;
  }
  return false;
}

// Whether Hangul jamo or syllables of classes p and c, in this order, make one syllable.
constexpr bool JoinsHangul(Class p, Class c) {
  return (p == kL && IsAnyOf(c, {kL, kV, kLv, kLvt})) ||
         (IsAnyOf(p, {kLv, kV}) && IsAnyOf(c, {kV, kT})) || (IsAnyOf(p, {kLvt, kT}) && c == kT);
}

// The boundary rules of ICU 72's root character break iterator, for a code point of class c
// after one of class p: CR LF stays whole; a break after and before controls; Hangul
// syllables; marks, ZWJ and spacing marks join what precedes, prepended marks what follows;
// emoji ZWJ sequences, pairs of regional indicators and conjuncts (consonant, virama,
// consonant) by the state they need.
constexpr Rule RuleBetween(Class p, Class c) {
  if (p == kCr && c == kLf) return kJoin;
  if (IsAnyOf(p, {kCr, kLf, kControl}) || IsAnyOf(c, {kCr, kLf, kControl})) return kBreak;
  if (JoinsHangul(p, c)) return kJoin;
  if (IsAnyOf(c, {kExtend, kExtendMark, kVirama, kZwj, kSpacingMark}) || p == kPrepend) {
    return kJoin;
  }
  if (c == kConsonant) return kJoinLinked;
  if (p == kZwj && c == kPictographic) return kJoinAfterPictographZwj;
  if (p == kRegional && c == kRegional) return kJoinOddRegional;
  return kBreak;
}

// The rules for each pair of classes.
constexpr std::array<std::array<Rule, kClassCount>, kClassCount> MakeRules() {
  std::array<std::array<Rule, kClassCount>, kClassCount> rules{};
  for (int p = 0; p < kClassCount; ++p) {
    for (int c = 0; c < kClassCount; ++c) {
      rules[static_cast<std::size_t>(p)][static_cast<std::size_t>(c)] =
          RuleBetween(static_cast<Class>(p), static_cast<Class>(c));
    }
  }
  return rules;
}
inline constexpr auto kRules = MakeRules();

// The class of each ASCII byte.
constexpr std::array<Class, 128> MakeAsciiClasses() {
  std::array<Class, 128> classes{};
  for (int b = 0; b < 0x20; ++b) classes[static_cast<std::size_t>(b)] = kControl;
  classes[0x7F] = kControl;
  classes['\r'] = kCr;
  classes['\n'] = kLf;
  return classes;
}
inline constexpr auto kAsciiClasses = MakeAsciiClasses();

// What the rules remember of the text before a code point: the previous class, whether a
// pictograph with marks (and a ZWJ) ends there, whether an odd number of regional indicators
// does, and whether a consonant (and a virama) with marks does.
struct Memory {
  enum Emoji : std::uint8_t { kNoEmoji, kPictograph, kAfterZwj };
  enum Conjunct : std::uint8_t { kNoConjunct, kAfterConsonant, kLinked };

  Class previous = kControl;  // the start of the text breaks like the end of a control
  Emoji emoji = kNoEmoji;
  bool oddRegional = false;
  Conjunct conjunct = kNoConjunct;

  constexpr bool operator==(const Memory&) const = default;

  // Whether a character ends before a code point of class c; remembers c.
  constexpr bool BreaksBefore(Class c) {
    const Rule rule = kRules[previous][c];
    const bool join = rule == kJoin || (rule == kJoinAfterPictographZwj && emoji == kAfterZwj) ||
                      (rule == kJoinOddRegional && oddRegional) ||
                      (rule == kJoinLinked && conjunct == kLinked);
    oddRegional = c == kRegional && !(previous == kRegional && oddRegional);
    if (c == kPictographic ||
        (emoji == kPictograph && (c == kExtend || c == kExtendMark || c == kVirama))) {
      emoji = kPictograph;
    } else {
      emoji = emoji == kPictograph && c == kZwj ? kAfterZwj : kNoEmoji;
    }
    if (c == kConsonant) {
      conjunct = kAfterConsonant;
    } else if (conjunct != kNoConjunct && c == kVirama) {
      conjunct = kLinked;
    } else if (conjunct == kNoConjunct || (c != kExtendMark && c != kZwj)) {
      conjunct = kNoConjunct;
    }
    previous = c;
    return !join;
  }
};

// The rules as one table, so that a code point costs one lookup and no branch: the memories
// that can occur, numbered from the start of the text (0), and for each and each class the
// next one, times two, plus one where a character starts.
struct Automaton {
  static constexpr std::size_t kMaxStates = 64;
  std::array<std::array<std::uint8_t, kClassCount>, kMaxStates> next{};
  std::size_t states = 0;
  std::uint8_t plain = 0;  // after a plain code point (class Other), whatever came before
};

constexpr Automaton MakeAutomaton() {
  Automaton automaton;
  std::array<Memory, Automaton::kMaxStates> memories{};
  memories[automaton.states++] = Memory{};
  for (std::size_t s = 0; s < automaton.states; ++s) {
    for (int c = 0; c < kClassCount; ++c) {
      Memory memory = memories[s];
      const bool breaks = memory.BreaksBefore(static_cast<Class>(c));
      std::size_t index = 0;
      while (index < automaton.states && !(memories[index] == memory)) ++index;
      if (index == automaton.states) memories[automaton.states++] = memory;
      automaton.next[s][static_cast<std::size_t>(c)] =
          static_cast<std::uint8_t>(index * 2 + (breaks ? 1 : 0));
    }
  }
  automaton.plain = automaton.next[0][kOther] >> 1;
  return automaton;
}
inline constexpr Automaton kAutomaton = MakeAutomaton();

// The states after which a plain code point joins the one before (a prepended mark's).
constexpr std::array<bool, Automaton::kMaxStates> MakeJoinsPlain() {
  std::array<bool, Automaton::kMaxStates> joins{};
  for (std::size_t s = 0; s < kAutomaton.states; ++s) {
    joins[s] = (kAutomaton.next[s][kOther] & 1) == 0;
  }
  return joins;
}
inline constexpr auto kJoinsPlain = MakeJoinsPlain();

}  // namespace tintrix::graphemes
