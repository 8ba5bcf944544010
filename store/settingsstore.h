#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/fadesettings.h"
#include "engine/status.h"

class QSettings;

namespace tintrix {

// Where the current fade lives between runs: text values under keys of one group. The program
// uses QtSettingsStore; tests may use their own.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The text stored under `key`, or nullopt when nothing is stored there. A stored empty
  // text comes back empty.
  virtual std::optional<std::string> Read(const std::string& key) = 0;

  // Stores `text` under `key`, replacing any earlier value.
  virtual void Write(const std::string& key, const std::string& text) = 0;

  // Writes what is pending to permanent storage. Returns false when it could not.
  virtual bool Sync() = 0;

  // Where the values are kept, for messages: a file path.
  virtual std::string Location() const = 0;
};

// The user's settings: QSettings, organization and application "Tintrix", group "Fader",
// native format: ~/.config/Tintrix/Tintrix.conf, or under XDG_CONFIG_HOME when that is set.
class QtSettingsStore final : public SettingsStore {
 public:
  QtSettingsStore();
  ~QtSettingsStore() override;

  std::optional<std::string> Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& text) override;
  bool Sync() override;
  std::string Location() const override;

 private:
  std::unique_ptr<QSettings> m_settings;
};

// Fills every stored field of `fade` from the store, each with its default when nothing is
// stored; a style value that is not a whole number from 0 to 2 gives its default too. An
// empty font becomes "Arial". TextToFade is left alone.
void LoadFadeSettings(FadeSettings& fade, SettingsStore& store);

// Writes all sixteen stored fields, in order, and syncs. On failure the message reads
// `Could not save the settings to PATH`.
Status SaveFadeSettings(const FadeSettings& fade, SettingsStore& store);

}  // namespace tintrix
