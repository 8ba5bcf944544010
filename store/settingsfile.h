#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintrix {

// The settings store's file: INI text in the format QSettings reads and writes (groups in
// [brackets], "key=value" lines, values escaped and quoted as QSettings does, ';' comments),
// so that files written by earlier versions read as they did. Held as bytes: a change
// rewrites one value and keeps every other byte of the file. Group and key names match
// exactly, letter case included, as QSettings matches them.
class SettingsFile {
 public:
  explicit SettingsFile(std::string bytes = {});

  // True when every line reads cleanly: each group header closed by ']', each other line a
  // comment or a "key=value" line, no quote left open and no escape at the very end. A file that is
  // not clean is one the user should keep.
  bool clean() const;

  // The value of `key` in `group` as QSettings reads it: escapes resolved, outer quotes
  // dropped, a list (unquoted commas) joined again with ", ". The last of several lines for
  // the key wins. nullopt when there is no such key, or it holds QSettings' "@Invalid()".
  std::optional<std::string> Value(std::string_view group, std::string_view key) const;

  // Sets `key` in `group` to `value` (any text, written escaped): replaces the value of every
  // line of the key in the group, else adds a line after the last line of the group's last
  // section, else adds the group at the end.
  void Set(std::string_view group, std::string_view key, std::string_view value);

  const std::string& bytes() const { return m_bytes; }

 private:
  struct Line;
  std::vector<Line> Lines() const;

  std::string m_bytes;
};

// `value` as QSettings writes a text value: special characters escaped, quoted when it holds
// ';', ',' or '=' or starts or ends with a space, a leading '@' doubled.
std::string EscapeSettingsValue(std::string_view value);

}  // namespace tintrix
