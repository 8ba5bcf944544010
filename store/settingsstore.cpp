#include "store/settingsstore.h"

#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/text.h"
#include "platform/atomicfile.h"
#include "platform/regularfile.h"
#include "store/settingsfile.h"

namespace tintrix {

namespace {

constexpr const char* kGroup = "Fader";

// A style flag as stored: a whole number 0, 1 or 2, blanks around it allowed.
std::optional<int> ParseStoredFlag(std::string_view text) {
  const std::optional<unsigned> value = ParseWhole<unsigned>(TrimBlanks(text));
  if (!value || *value > 2) return std::nullopt;
  return static_cast<int>(*value);
}

std::string UserSettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
         "/Tintrix/Tintrix.conf";
}

// A failed step of a save, in the words of the store's message.
Status SaveError(const std::string& path, std::string reason) {
  return Status::IoError("Could not save the settings to " + QuoteName(path), std::move(reason));
}

}  // namespace

FileSettingsStore::FileSettingsStore() : FileSettingsStore(UserSettingsPath()) {}

FileSettingsStore::FileSettingsStore(std::string path) : m_path(std::move(path)) {
  StatusOr<std::string> bytes = ReadRegularFile(m_path, kMaxSettingsFileBytes);
  if (!bytes.ok()) return;
  const SettingsFile file(std::move(bytes).value());
  for (const FadeField& field : kFadeFields) {
    if (std::optional<std::string> value = file.Value(kGroup, field.key)) {
      m_values[field.key] = std::move(*value);
    }
  }
}

std::optional<std::string> FileSettingsStore::Read(const std::string& key) {
  const auto found = m_values.find(key);
  if (found == m_values.end()) return std::nullopt;
  return found->second;
}

void FileSettingsStore::Write(const std::string& key, const std::string& text) {
  m_values[key] = text;
  m_pending.emplace_back(key, text);
}

StatusOr<std::string> FileSettingsStore::PrepareFile() {
  StatusOr<std::string> read = ReadRegularFile(m_path, kMaxSettingsFileBytes);
  if (!read.ok() && read.status().code() == StatusCode::kNotFound) return std::string();
  if (read.ok() && SettingsFile(*read).clean()) return read;
  // Nothing the user had may be lost: the damaged file goes aside whole before a fresh one
  // takes its place.
  if (read.ok()) {
    const Status kept = WriteFileAtomically(DamagedLocation(), *read);
    if (!kept.ok()) return SaveError(m_path, kept.reason());
    return std::string();
  }
  std::error_code error;
  if (!std::filesystem::is_directory(DamagedLocation(), error)) {
    std::filesystem::remove(DamagedLocation(), error);
  }
  if (std::rename(m_path.c_str(), DamagedLocation().c_str()) != 0) {
    return SaveError(m_path, std::strerror(errno));
  }
  return std::string();
}

Status FileSettingsStore::Sync() {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), error);
  if (error) return SaveError(m_path, error.message());
  const FolderLock lock(m_path);
  TINTRIX_ASSIGN_OR_RETURN(std::string bytes, PrepareFile());
  SettingsFile file(std::move(bytes));
  for (const auto& [key, text] : m_pending) file.Set(kGroup, key, text);
  if (Status written = WriteFileAtomically(m_path, file.bytes()); !written.ok()) {
    return SaveError(m_path, written.reason());
  }
  m_pending.clear();
  return Status::Ok();
}

void LoadFadeSettings(FadeSettings& fade, SettingsStore& store) {
  for (const FadeField& field : kFadeFields) {
    const std::optional<std::string> stored = store.Read(field.key);
    if (field.IsFlag()) {
      const std::optional<int> flag = stored ? ParseStoredFlag(*stored) : std::nullopt;
      fade.*field.flag = flag ? *flag : *ParseStoredFlag(field.defaultText);
    } else {
      TextField(fade, field) = stored ? *stored : field.defaultText;
    }
  }
  if (fade.font.empty()) fade.font = "Arial";
}

Status SaveFadeSettings(const FadeSettings& fade, SettingsStore& store) {
  for (const FadeField& field : kFadeFields) store.Write(field.key, StoredText(fade, field));
  return store.Sync();
}

}  // namespace tintrix
