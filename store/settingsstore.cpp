#include "store/settingsstore.h"

#include <QSettings>

#include <charconv>

namespace tintrix {

namespace {

// A style flag as stored: a whole number 0, 1 or 2, blanks around it allowed.
std::optional<int> ParseStoredFlag(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  int value = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || error != std::errc() ||
      end != text.data() + text.size() || value > 2) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Tintrix"),
                                             QStringLiteral("Tintrix"))) {
  m_settings->beginGroup(QStringLiteral("Fader"));
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::string> QtSettingsStore::Read(const std::string& key) {
  const QVariant value = m_settings->value(QString::fromStdString(key));
  if (!value.isValid()) return std::nullopt;
  // A hand-edited value with an unquoted comma ("Arial, Helvetica") reads as a list.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  return value.toString().toStdString();
}

void QtSettingsStore::Write(const std::string& key, const std::string& text) {
  m_settings->setValue(QString::fromStdString(key), QString::fromStdString(text));
}

bool QtSettingsStore::Sync() {
  m_settings->sync();
  return m_settings->status() == QSettings::NoError;
}

std::string QtSettingsStore::Location() const { return m_settings->fileName().toStdString(); }

void LoadFadeSettings(FadeSettings& fade, SettingsStore& store) {
  for (const FadeField& field : kFadeFields) {
    const std::optional<std::string> stored = store.Read(field.key);
    if (field.text != nullptr) {
      *field.text(fade) = stored ? *stored : field.defaultText;
    } else {
      const std::optional<int> flag = stored ? ParseStoredFlag(*stored) : std::nullopt;
      *field.flag(fade) = flag ? *flag : *ParseStoredFlag(field.defaultText);
    }
  }
  if (fade.Font.empty()) fade.Font = "Arial";
}

Status SaveFadeSettings(const FadeSettings& fade, SettingsStore& store) {
  for (const FadeField& field : kFadeFields) store.Write(field.key, StoredText(fade, field));
  if (!store.Sync()) return Status::Error("Could not save the settings to " + store.Location());
  return Status::Ok();
}

}  // namespace tintrix
