#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/status.h"

namespace tintrix {

// INI-style profile files: sections of key=value lines. Texts are UTF-8; text in a file that
// is not UTF-8 is read as Windows-1252, the code page of files written on Windows. Names of
// sections and keys match without regard to ASCII letter case or surrounding blanks, and the
// same way for names from the file and from the caller: a caller's name that is not UTF-8 is
// read as Windows-1252 too, so whatever is written is found again. A name or value holding a
// NUL is refused: it is never written and never found.

// A profile file is a few hundred bytes; a larger one is no profile of ours.
inline constexpr std::size_t kMaxProfileFileBytes = std::size_t{1} << 20;

// The bytes of a profile file, read and changed in memory; every byte the changes do not
// touch stays as it is.
class ProfileDocument {
 public:
  ProfileDocument() = default;
  explicit ProfileDocument(std::string bytes);

  // The value of `key` in `section`: the text after the first '=', without blanks around it
  // and without one outer pair of matching quotes, cut to 254 characters; nullopt when the
  // section or the key is missing, so that a key with an empty value can be told from none.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // Sets `key` in `section` to `value`, adding the section (at the end) and the key (after
  // the section's last key) as needed. A replaced key keeps its line up to the '=' (spelling,
  // blanks); all after it becomes `value`. Refuses, returning false and changing nothing, a
  // blank section or key, a line break or a NUL anywhere, '=' in the key, ']' in the section,
  // or a key starting with ';' or '[': each would read back as something else.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  const std::string& bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
};

// Reads the profile file at `file` in one pass: a regular file of at most
// kMaxProfileFileBytes (ReadRegularFile, so a FIFO or a device is never waited on). Fails as
// ReadRegularFile does: kNotFound when there is no such file.
StatusOr<ProfileDocument> ReadProfileFile(const std::string& file);

// Reads `file` (empty when it does not exist yet), lets `edit` change the document, and, when
// `edit` returns true, replaces the file with the result in one step (WriteFileAtomically).
// The whole is exclusive between processes that update files in the same folder (FolderLock),
// so that no change is lost to another writer. Fails, changing nothing, when the file cannot
// be read (ReadProfileFile) or written (`Could not write PATH: REASON`).
Status UpdateProfileFile(const std::string& file,
                         const std::function<bool(ProfileDocument&)>& edit);

// The value of `key` in `section` of `file` (ProfileDocument::Find), or the empty text when
// the file, the section or the key is missing or the file cannot be read.
std::string ReadProfileValue(const std::string& section, const std::string& key,
                             const std::string& file);

// As ReadProfileValue, but nullopt when the file, the section or the key is missing.
std::optional<std::string> FindProfileValue(const std::string& section, const std::string& key,
                                            const std::string& file);

// Sets one key of `file` (ProfileDocument::Set through UpdateProfileFile), creating the file
// as needed. Returns non-zero on success; 0 when the entry is refused or the file cannot be
// read or written, and then the file stays as it was.
int WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file);

}  // namespace tintrix
