#include "store/profile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/smalldisk.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tintrix {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
  fs::path Path(const std::string& name) const {
    return fs::path(m_dir.path().toStdString()) / name;
  }

  QTemporaryDir m_dir;
};

struct ReadCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

std::string Repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

const std::vector<ReadCase> kReadCases = {
    {"CrLf", "[Main]\r\nFadeName=Sunset\r\nFont=Arial\r\n", "Main", "Font", "Arial"},
    {"Lf", "[Main]\nFadeName=Sunset\nFont=Arial\n", "Main", "FadeName", "Sunset"},
    {"Cr", "[Main]\rFadeName=Sunset\rFont=Arial\r", "Main", "Font", "Arial"},
    {"MixedLineEnds", "[Main]\rA=1\nB=2\r\nC=3", "Main", "C", "3"},
    {"LastLineWithoutEnd", "[Main]\r\nFont=Arial", "Main", "Font", "Arial"},
    {"LfCrIsTwoLineEnds", "[Main]\n\rFont=Arial\n\r", "Main", "Font", "Arial"},
    {"BlankLinesSkipped", "\r\n[Main]\r\n\r\n \t\r\nFont=Arial\r\n", "Main", "Font", "Arial"},
    {"CommentSkipped", "[Main]\r\n;Font=Times\r\n  ; Font=Courier\r\nFont=Arial\r\n", "Main",
     "Font", "Arial"},
    {"CommentOnlyKeyMissing", "[Main]\r\n;Font=Times\r\n", "Main", "Font", std::nullopt},
    {"SemicolonInValueKept", "[Main]\r\nFont=Arial ; bold\r\n", "Main", "Font", "Arial ; bold"},
    {"SectionCaseIgnored", "[mAIN]\r\nFont=Arial\r\n", "Main", "Font", "Arial"},
    {"KeyCaseIgnored", "[Main]\r\nfadename=Sunset\r\n", "Main", "FadeName", "Sunset"},
    {"BlanksInsideBrackets", "[ \tMain ]\r\nFont=Arial\r\n", "Main", "Font", "Arial"},
    {"BlanksBeforeBracket", "  [Main]\r\nFont=Arial\r\n", "Main", "Font", "Arial"},
    {"TextAfterBracketIgnored", "[Main] ; fades\r\nFont=Arial\r\n", "Main", "Font", "Arial"},
    {"BlanksAroundKey", "[Main]\r\n  fadename \t= Sunset\r\n", "Main", "FadeName", "Sunset"},
    {"BlanksAroundWantedNames", "[Main]\r\nFont=Arial\r\n", " Main ", "\tFont ", "Arial"},
    {"LineWithoutEqualsIsNoKey", "[Main]\r\nFont\r\nFont Arial\r\n", "Main", "Font", std::nullopt},
    {"KeyBeforeFirstSection", "Font=Arial\r\n[Main]\r\nA=1\r\n", "Main", "Font", std::nullopt},
    {"KeyInOtherSection", "[Main]\r\nA=1\r\n[Other]\r\nFont=Arial\r\n", "Main", "Font",
     std::nullopt},
    {"NextSectionEndsSection", "[Other]\r\nFont=Times\r\n[Main]\r\nFont=Arial\r\n", "Other", "Font",
     "Times"},
    {"FirstSectionWins", "[Main]\r\nA=1\r\n[main]\r\nFont=Arial\r\n", "Main", "Font", std::nullopt},
    {"FirstKeyWins", "[Main]\r\nFont=Arial\r\nFONT=Times\r\n", "Main", "Font", "Arial"},
    {"MissingSection", "[Other]\r\nFont=Arial\r\n", "Main", "Font", std::nullopt},
    {"EmptyFile", "", "Main", "Font", std::nullopt},
    {"EmptyValueFound", "[Main]\r\nFont=\r\n", "Main", "Font", ""},
    {"BlankValueFound", "[Main]\r\nFont= \t \r\n", "Main", "Font", ""},
    {"ValueAfterFirstEquals", "[Main]\r\nFont=a=b\r\n", "Main", "Font", "a=b"},
    {"BlanksAroundValue", "[Main]\r\nFont= \t Comic Sans \t\r\n", "Main", "Font", "Comic Sans"},
    {"DoubleQuotesRemoved", "[Main]\r\nFont=\" Arial \"\r\n", "Main", "Font", " Arial "},
    {"SingleQuotesRemoved", "[Main]\r\nFont='Arial'\r\n", "Main", "Font", "Arial"},
    {"QuotesAfterBlanksRemoved", "[Main]\r\nFont = \"Arial\" \r\n", "Main", "Font", "Arial"},
    {"OnlyOnePairRemoved", "[Main]\r\nFont=\"\"Arial\"\"\r\n", "Main", "Font", "\"Arial\""},
    {"EmptyQuotes", "[Main]\r\nFont=\"\"\r\n", "Main", "Font", ""},
    {"LoneQuoteKept", "[Main]\r\nFont=\"\r\n", "Main", "Font", "\""},
    {"MismatchedQuotesKept", "[Main]\r\nFont=\"Arial'\r\n", "Main", "Font", "\"Arial'"},
    {"InnerQuotesKept", "[Main]\r\nFont=Ari\"al\"\r\n", "Main", "Font", "Ari\"al\""},
    {"CutTo254Characters", "[Main]\r\nFont=" + std::string(300, 'x') + "\r\n", "Main", "Font",
     std::string(254, 'x')},
    {"Exactly254Kept", "[Main]\r\nFont=" + std::string(254, 'x') + "\r\n", "Main", "Font",
     std::string(254, 'x')},
    {"CutCountsCharacters", "[Main]\r\nFont=" + Repeat("\xC3\xA9", 300) + "\r\n", "Main", "Font",
     Repeat("\xC3\xA9", 254)},
    {"CutAtCharacterBoundary",
     "[Main]\r\nFont=" + std::string(253, 'x') + "\xE2\x82\xAC\xE2\x82\xAC" + "\r\n", "Main",
     "Font", std::string(253, 'x') + "\xE2\x82\xAC"},
    {"CutAfterQuotesRemoved", "[Main]\r\nFont=\"" + std::string(254, 'x') + "\"\r\n", "Main",
     "Font", std::string(254, 'x')},
    {"ByteOrderMarkSkipped", "\xEF\xBB\xBF[Main]\r\nFont=Arial\r\n", "Main", "Font", "Arial"},
    {"Utf8Kept", "[Main]\r\nFont=Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xA8\r\n", "Main", "Font",
     "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xA8"},
    {"Windows1252Latin", "[Main]\r\nFont=Caf\xE9 \xA0\xFF\r\n", "Main", "Font",
     "Caf\xC3\xA9 \xC2\xA0\xC3\xBF"},
    {"Windows1252Euro", "[Main]\r\nFont=\x80\x99\x9F\r\n", "Main", "Font",
     "\xE2\x82\xAC\xE2\x84\xA2\xC5\xB8"},
    {"Windows1252Undefined", "[Main]\r\nFont=\x81\x8D\x8F\x90\x9D\r\n", "Main", "Font",
     "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
    // One bad byte makes the whole value 8-bit text, its UTF-8 looking bytes included.
    {"InvalidUtf8IsWholly1252", "[Main]\r\nFont=\xC3\xA9\xFF\r\n", "Main", "Font",
     "\xC3\x83\xC2\xA9\xC3\xBF"},
    {"OverlongUtf8Is1252", "[Main]\r\nFont=\xC0\xAF\r\n", "Main", "Font", "\xC3\x80\xC2\xAF"},
    {"Overlong3ByteUtf8Is1252", "[Main]\r\nFont=\xE0\x80\xAF\r\n", "Main", "Font",
     "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},
    {"SurrogateUtf8Is1252", "[Main]\r\nFont=\xED\xA0\x80\r\n", "Main", "Font",
     "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
    {"TruncatedUtf8Is1252", "[Main]\r\nFont=a\xE2\x82\r\n", "Main", "Font",
     "a\xC3\xA2\xE2\x80\x9A"},
    {"CutAfter1252Decoding", "[Main]\r\nFont=" + std::string(300, '\xE9') + "\r\n", "Main", "Font",
     Repeat("\xC3\xA9", 254)},
    {"Windows1252SectionName",
     "[Gr\xF6\xDF"
     "e]\r\nFont=Arial\r\n",
     "Gr\xC3\xB6\xC3\x9F"
     "e",
     "Font", "Arial"},
};

// Keeps test listings readable: the name instead of a byte dump.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ProfileReadTest : public ProfileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileReadTest, ReadsValue) {
  const ReadCase& c = GetParam();
  const std::string path = Path("fade.fad").string();
  Spit(path, c.file);
  EXPECT_EQ(FindProfileValue(c.section, c.key, path), c.expected);
  EXPECT_EQ(ReadProfileValue(c.section, c.key, path), c.expected.value_or(""));
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadTest, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(ProfileTest, ReadsNothingWithoutFile) {
  EXPECT_EQ(FindProfileValue("Main", "Font", Path("missing.fad").string()), std::nullopt);
  EXPECT_EQ(ReadProfileValue("Main", "Font", Path("missing.fad").string()), "");
  EXPECT_EQ(ReadProfileValue("Main", "Font", Path("missing/fade.fad").string()), "");
  EXPECT_EQ(FindProfileValue("Main", "Font", ""), std::nullopt);
  EXPECT_EQ(ReadProfileValue("Main", "Font", ""), "");
  // A folder at the path cannot be read as a file.
  EXPECT_EQ(FindProfileValue("Main", "Font", m_dir.path().toStdString()), std::nullopt);
}

TEST_F(ProfileTest, ReadsNothingForBlankNames) {
  const std::string path = Path("fade.fad").string();
  Spit(path, "=top\r\n[]\r\n=empty\r\n[Main]\r\n=x\r\n");
  EXPECT_EQ(FindProfileValue("", "", path), std::nullopt);
  EXPECT_EQ(FindProfileValue(" ", "", path), std::nullopt);
  EXPECT_EQ(FindProfileValue("Main", "", path), std::nullopt);
  EXPECT_EQ(FindProfileValue("Main", "  ", path), std::nullopt);
}

struct WriteCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: no file
  const char* section;
  const char* key;
  std::string value;
  std::string after;
};

const std::vector<WriteCase> kWriteCases = {
    {"NewFile", std::nullopt, "Main", "FadeName", "Sunset", "[Main]\r\nFadeName=Sunset\r\n"},
    {"EmptyFile", "", "Main", "FadeName", "Sunset", "[Main]\r\nFadeName=Sunset\r\n"},
    {"EmptyValue", std::nullopt, "Main", "Font", "", "[Main]\r\nFont=\r\n"},
    {"ValueVerbatim", std::nullopt, "Main", "Font", " \"a=b\" ; c' ",
     "[Main]\r\nFont= \"a=b\" ; c' \r\n"},
    {"ReplaceInPlace", "[Main]\r\nA=1\r\nFont=Times\r\nB=2\r\n", "Main", "Font", "Arial",
     "[Main]\r\nA=1\r\nFont=Arial\r\nB=2\r\n"},
    {"ReplaceKeepsKeySpelling", "[main]\r\n  fadename \t= Old Name \r\n", "Main", "FadeName",
     "Sunset", "[main]\r\n  fadename \t=Sunset\r\n"},
    {"ReplaceEmptyValue", "[Main]\r\nFont=\r\nA=1\r\n", "Main", "Font", "Arial",
     "[Main]\r\nFont=Arial\r\nA=1\r\n"},
    {"ReplaceWithEmpty", "[Main]\r\nFont=Arial\r\n", "Main", "Font", "", "[Main]\r\nFont=\r\n"},
    {"ReplaceAfterFirstEquals", "[Main]\r\nFont=a=b\r\n", "Main", "Font", "c",
     "[Main]\r\nFont=c\r\n"},
    {"ReplaceLastLineWithoutEnd", "[Main]\r\nFont=Times", "Main", "Font", "Arial",
     "[Main]\r\nFont=Arial"},
    {"ReplaceFirstOfDuplicateKeys", "[Main]\r\nFont=1\r\nFont=2\r\n", "Main", "Font", "3",
     "[Main]\r\nFont=3\r\nFont=2\r\n"},
    {"NewKeyAfterLastKeyLine", "[Main]\r\nA=1\r\nB=2\r\n[Other]\r\nC=3\r\n", "Main", "Font",
     "Arial", "[Main]\r\nA=1\r\nB=2\r\nFont=Arial\r\n[Other]\r\nC=3\r\n"},
    {"NewKeyBeforeTrailingComments",
     "[Main]\r\nA=1\r\n; about Other\r\n\r\nstray line\r\n[Other]\r\nC=3\r\n", "Main", "Font",
     "Arial",
     "[Main]\r\nA=1\r\nFont=Arial\r\n; about Other\r\n\r\nstray line\r\n[Other]\r\nC=3\r\n"},
    {"NewKeyAfterKeyLineWithoutEnd", "[Main]\r\nA=1", "Main", "Font", "Arial",
     "[Main]\r\nA=1\r\nFont=Arial\r\n"},
    {"NewKeyInSectionWithoutKeys", "[Main]\r\n; nothing yet\r\n\r\n[Other]\r\nC=3\r\n", "Main",
     "Font", "Arial", "[Main]\r\nFont=Arial\r\n; nothing yet\r\n\r\n[Other]\r\nC=3\r\n"},
    {"NewKeyAfterHeaderWithoutEnd", "[Main]", "Main", "Font", "Arial", "[Main]\r\nFont=Arial\r\n"},
    {"NewKeyInFirstOfDuplicateSections", "[Main]\r\nA=1\r\n[MAIN]\r\nFont=Times\r\n", "Main",
     "Font", "Arial", "[Main]\r\nA=1\r\nFont=Arial\r\n[MAIN]\r\nFont=Times\r\n"},
    {"KeyBeforeFirstSectionUntouched", "Font=Times\r\n[Main]\r\n", "Main", "Font", "Arial",
     "Font=Times\r\n[Main]\r\nFont=Arial\r\n"},
    {"CommentedKeyUntouched", "[Main]\r\n;Font=Times\r\n", "Main", "Font", "Arial",
     "[Main]\r\nFont=Arial\r\n;Font=Times\r\n"},
    {"NewSectionAppended", "[Other]\r\nC=3\r\n", "Main", "Font", "Arial",
     "[Other]\r\nC=3\r\n[Main]\r\nFont=Arial\r\n"},
    {"NewSectionWithoutFinalLineEnd", "[Other]\r\nC=3", "Main", "Font", "Arial",
     "[Other]\r\nC=3\r\n[Main]\r\nFont=Arial\r\n"},
    {"NewSectionAfterTrailingBlankLine", "[Other]\r\nC=3\r\n\r\n; end\r\n", "Main", "Font", "Arial",
     "[Other]\r\nC=3\r\n\r\n; end\r\n[Main]\r\nFont=Arial\r\n"},
    {"NewSectionInLfFile", "[Other]\nC=3", "Main", "Font", "Arial",
     "[Other]\nC=3\r\n[Main]\r\nFont=Arial\r\n"},
    {"LfFileReplace", "[Main]\nA=1\nFont=Times\n", "Main", "Font", "Arial",
     "[Main]\nA=1\nFont=Arial\n"},
    {"LfFileNewKey", "[Main]\nA=1\n\n[Other]\nC=3\n", "Main", "Font", "Arial",
     "[Main]\nA=1\nFont=Arial\r\n\n[Other]\nC=3\n"},
    {"CrFileReplace", "[Main]\rFont=Times\rA=1\r", "Main", "Font", "Arial",
     "[Main]\rFont=Arial\rA=1\r"},
    {"CrFileNewKey", "[Main]\rA=1\r;x\r", "Main", "Font", "Arial",
     "[Main]\rA=1\rFont=Arial\r\n;x\r"},
    {"ByteOrderMarkKept", "\xEF\xBB\xBF[Main]\r\nFont=Times\r\n", "Main", "Font", "Arial",
     "\xEF\xBB\xBF[Main]\r\nFont=Arial\r\n"},
    {"ByteOrderMarkOnly", "\xEF\xBB\xBF", "Main", "Font", "Arial",
     "\xEF\xBB\xBF[Main]\r\nFont=Arial\r\n"},
    {"OtherBytesKept", "; \xE9t\xE9\r\n[Main]\r\nName=Caf\xE9\r\nFont=Times\r\n\t\r\n", "Main",
     "Font", "Arial", "; \xE9t\xE9\r\n[Main]\r\nName=Caf\xE9\r\nFont=Arial\r\n\t\r\n"},
    {"BlanksAroundWantedNamesMatch", "[Main]\r\nFont=Times\r\n", " Main\t", " Font ", "Arial",
     "[Main]\r\nFont=Arial\r\n"},
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class ProfileWriteTest : public ProfileTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ProfileWriteTest, WritesFile) {
  const WriteCase& c = GetParam();
  const fs::path path = Path("fade.fad");
  if (c.before) Spit(path, *c.before);
  EXPECT_NE(WriteProfileValue(c.section, c.key, c.value, path.string()), 0);
  EXPECT_EQ(Slurp(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWriteTest, ::testing::ValuesIn(kWriteCases),
                         [](const ::testing::TestParamInfo<WriteCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(ProfileTest, SecondWriteReplacesFirstInPlace) {
  const std::string path = Path("fade.fad").string();
  Spit(path, "[Main]\r\nA=1\r\n");
  ASSERT_NE(WriteProfileValue("Main", "FadeName", "One", path), 0);
  ASSERT_NE(WriteProfileValue("Main", "B", "2", path), 0);
  ASSERT_NE(WriteProfileValue("main", "FADENAME", "Two", path), 0);
  EXPECT_EQ(Slurp(path), "[Main]\r\nA=1\r\nFadeName=Two\r\nB=2\r\n");
  EXPECT_EQ(ReadProfileValue("Main", "FadeName", path), "Two");
}

TEST_F(ProfileTest, ReadsBackWhatItWrites) {
  const std::string path = Path("fade.fad").string();
  Spit(path, "; kept\r\n[Other]\nFont=Times\n[Main]\rA=1");
  const std::vector<std::string> values = {
      "",
      "Arial",
      "a=b=c",
      "x ; y",
      "it's",
      "say \"hi\"",
      "\xE2\x82\xAC uro",
      "Gr\xC3\xB6\xC3\x9F"
      "e",
      std::string(254, 'w'),
      Repeat("\xF0\x9F\x8E\xA8", 254),
  };
  for (const std::string& value : values) {
    SCOPED_TRACE(value);
    ASSERT_NE(WriteProfileValue("Main", "Font", value, path), 0);
    EXPECT_EQ(FindProfileValue("Main", "Font", path), value);
    EXPECT_EQ(ReadProfileValue("Other", "Font", path), "Times");
    EXPECT_EQ(ReadProfileValue("Main", "A", path), "1");
  }
}

TEST_F(ProfileTest, WritesSunsetFadeFromScratch) {
  const std::string path = Path("Sunset.fad").string();
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"FadeName", "Sunset"}, {"Color1", "0"},        {"Color2", "16711680"},
      {"Color3", "12615808"}, {"Color4", "16744703"}, {"Color5", "0"},
      {"Color6", "0"},        {"Color7", "16711680"}, {"Color8", "12615808"},
      {"Color9", "16744703"}, {"Color10", "0"},       {"WaVy", "0"},
      {"Bold", "1"},          {"Italic", "0"},        {"Underlined", "0"},
      {"Font", "Arial"},      {"NumberColors", "5"},
  };
  for (const auto& [key, value] : keys) {
    ASSERT_NE(WriteProfileValue("Main", key, value, path), 0) << key;
  }
  EXPECT_EQ(Slurp(path),
            "[Main]\r\n"
            "FadeName=Sunset\r\n"
            "Color1=0\r\n"
            "Color2=16711680\r\n"
            "Color3=12615808\r\n"
            "Color4=16744703\r\n"
            "Color5=0\r\n"
            "Color6=0\r\n"
            "Color7=16711680\r\n"
            "Color8=12615808\r\n"
            "Color9=16744703\r\n"
            "Color10=0\r\n"
            "WaVy=0\r\n"
            "Bold=1\r\n"
            "Italic=0\r\n"
            "Underlined=0\r\n"
            "Font=Arial\r\n"
            "NumberColors=5\r\n");
}

TEST_F(ProfileTest, FailedWriteLeavesFilesAlone) {
  // Tests may run as root, which ignores permission bits; these paths fail for anyone.
  const fs::path plain = Path("plain.txt");
  Spit(plain, "[Main]\r\nA=1\r\n");
  EXPECT_EQ(WriteProfileValue("Main", "A", "2", (plain / "fade.fad").string()), 0);
  EXPECT_EQ(Slurp(plain), "[Main]\r\nA=1\r\n");

  EXPECT_EQ(WriteProfileValue("Main", "A", "2", Path("missing/fade.fad").string()), 0);
  EXPECT_FALSE(fs::exists(Path("missing")));

  const fs::path folder = Path("folder.fad");
  fs::create_directory(folder);
  EXPECT_EQ(WriteProfileValue("Main", "A", "2", folder.string()), 0);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_empty(folder));

  EXPECT_EQ(WriteProfileValue("Main", "A", "2", ""), 0);
}

TEST_F(ProfileTest, AFullDiskKeepsTheFileAndReportsTheKeyUnwritten) {
  TINTRIX_SMALL_DISK(disk);
  // Below and above the 16 KiB a buffered writer would hold back.
  for (const std::size_t size : {10u, 20000u}) {
    const std::string file = disk->File("fade.fad");
    const std::string before = "[Main]\r\nFadeName=Sunset\r\nNotes=" + std::string(size, 'n');
    Spit(file, before);
    disk->Fill();
    EXPECT_EQ(WriteProfileValue("Main", "FadeName", "Dusk", file), 0) << size;
    EXPECT_EQ(Slurp(file), before) << size;
    disk->Empty();
  }
}

TEST_F(ProfileTest, FailedReplaceKeepsExistingFile) {
  // A name of the longest length allowed leaves no room for a temporary file beside it, so the
  // existing file can be read but not replaced.
  const fs::path longest = Path(std::string(251, 'f') + ".fad");
  Spit(longest, "[Main]\r\nA=1\r\n");
  ASSERT_EQ(ReadProfileValue("Main", "A", longest.string()), "1");
  EXPECT_EQ(WriteProfileValue("Main", "A", "2", longest.string()), 0);
  EXPECT_EQ(WriteProfileValue("Main", "B", "2", longest.string()), 0);
  EXPECT_EQ(Slurp(longest), "[Main]\r\nA=1\r\n");
}

struct UnsafeCase {
  const char* name;
  std::string section;
  std::string key;
  std::string value;
};

const std::vector<UnsafeCase> kUnsafeCases = {
    {"EmptySection", "", "Font", "Arial"},
    {"BlankSection", " \t", "Font", "Arial"},
    {"EmptyKey", "Main", "", "Arial"},
    {"BlankKey", "Main", "  ", "Arial"},
    {"LfInValue", "Main", "FadeName", "Sunset\nColor1=255"},
    {"CrInValue", "Main", "FadeName", "Sunset\rColor1=255"},
    {"CrLfInValue", "Main", "FadeName", "Sunset\r\n[Evil]"},
    {"LineBreakInKey", "Main", "Fade\nName", "Sunset"},
    {"CrInKey", "Main", "FadeName\r", "Sunset"},
    {"EqualsInKey", "Main", "Color1=255", "x"},
    {"SemicolonKey", "Main", " ;FadeName", "Sunset"},
    {"BracketKey", "Main", "[Evil]", "x"},
    {"LineBreakInSection", "Main]\r\n[Evil", "FadeName", "Sunset"},
    {"LfInSection", "Ma\nin", "FadeName", "Sunset"},
    {"BracketInSection", "Main]x", "FadeName", "Sunset"},
    {"NulInKey", "Main", std::string("Fade\0Name", 9), "Sunset"},
    {"NulInSection", std::string("Ma\0in", 6), "FadeName", "Sunset"},
    {"NulInValue", "Main", "FadeName", std::string("Sun\0set", 7)},
};

void PrintTo(const UnsafeCase& c, std::ostream* os) { *os << c.name; }

class ProfileUnsafeTest : public ProfileTest, public ::testing::WithParamInterface<UnsafeCase> {};

TEST_P(ProfileUnsafeTest, WritesNothing) {
  const UnsafeCase& c = GetParam();
  const fs::path existing = Path("existing.fad");
  const std::string before = "[Main]\r\nFadeName=Old\r\n";
  Spit(existing, before);
  EXPECT_EQ(WriteProfileValue(c.section, c.key, c.value, existing.string()), 0);
  EXPECT_EQ(Slurp(existing), before);

  const fs::path fresh = Path("fresh.fad");
  EXPECT_EQ(WriteProfileValue(c.section, c.key, c.value, fresh.string()), 0);
  EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(ProfileTest, NamesThatAreNotUtf8AreFoundAsWritten) {
  const fs::path file = Path("other.fad");
  Spit(file, "[Other]\xD8k=0\r\n");
  const std::string key = "\x90z";
  ASSERT_EQ(WriteProfileValue("Other", key, "v", file.string()), 1);
  EXPECT_EQ(FindProfileValue("Other", key, file.string()), "v");
  // The same name in the other encoding is the same name.
  EXPECT_EQ(FindProfileValue("Other", "\xC2\x90z", file.string()), "v");
  ASSERT_EQ(WriteProfileValue("Other", "\xC2\x90Z", "w", file.string()), 1);
  EXPECT_EQ(Slurp(file), "[Other]\xD8k=0\r\n\x90z=w\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileUnsafeTest, ::testing::ValuesIn(kUnsafeCases),
                         [](const ::testing::TestParamInfo<UnsafeCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tintrix
