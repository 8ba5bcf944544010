#pragma once

#include <optional>
#include <string>

namespace tintrix {

// INI-style profile files, read and written one key at a time. Texts are UTF-8; `file` is a
// path. Names of sections and keys match without regard to letter case or surrounding blanks.

// The value of `key` in `section` of `file`: the text after the first '=', without blanks
// around it and without one outer pair of matching quotes, cut to 254 characters. The empty
// text when the file, the section or the key is missing. Text that is not UTF-8 is Windows-1252.
std::string ReadProfileValue(const std::string& section, const std::string& key,
                             const std::string& file);

// As ReadProfileValue, but nullopt when the file, the section or the key is missing, so that
// a key with an empty value can be told from no key.
std::optional<std::string> FindProfileValue(const std::string& section, const std::string& key,
                                            const std::string& file);

// Sets `key` in `section` of `file` to `value`, creating the file, the section and the key as
// needed and keeping every other byte of the file. The file is replaced in one step. Returns
// non-zero on success and 0 when the file cannot be written.
// A replaced key keeps its line up to the '=' (spelling, blanks); all after it becomes `value`.
// Returns 0 and writes nothing for a blank section or key, a line break anywhere, '=' in the
// key, ']' in the section, or a key starting with ';' or '[' (it would read as something else).
int WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file);

}  // namespace tintrix
