#include "store/settingsstore.h"

#include <QSettings>

#include "engine/text.h"

namespace tintrix {

namespace {

// A style flag as stored: a whole number 0, 1 or 2, blanks around it allowed.
std::optional<int> ParseStoredFlag(std::string_view text) {
  const std::optional<unsigned> value = ParseWhole<unsigned>(TrimBlanks(text));
  if (!value || *value > 2) return std::nullopt;
  return static_cast<int>(*value);
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
    if (field.kind == FadeField::Kind::kText) {
      TextField(fade, field) = stored ? *stored : field.defaultText;
    } else {
      const std::optional<int> flag = stored ? ParseStoredFlag(*stored) : std::nullopt;
      FlagField(fade, field) = flag ? *flag : *ParseStoredFlag(field.defaultText);
    }
  }
  if (fade.Font.empty()) fade.Font = "Arial";
}

Status SaveFadeSettings(const FadeSettings& fade, SettingsStore& store) {
  for (const FadeField& field : kFadeFields) store.Write(field.key, StoredText(fade, field));
  if (!store.Sync()) return Status::IoError("Could not save the settings to " + store.Location());
  return Status::Ok();
}

}  // namespace tintrix
