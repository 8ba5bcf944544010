#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/fadesettings.h"
#include "engine/status.h"

namespace tintrix {

// Where the current fade lives between runs: text values under keys of one group. The program
// uses FileSettingsStore; tests may use their own.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The text stored under `key`, or nullopt when nothing is stored there. A stored empty
  // text comes back empty.
  virtual std::optional<std::string> Read(const std::string& key) = 0;

  // Stores `text` under `key`, replacing any earlier value; kept until Sync.
  virtual void Write(const std::string& key, const std::string& text) = 0;

  // Writes what is pending to permanent storage. On failure nothing stored before is lost and
  // the message reads `Could not save the settings to PATH: REASON`.
  virtual Status Sync() = 0;

  // Where the values are kept, for messages: a file path.
  virtual std::string Location() const = 0;
};

// The user's settings: group "Fader" of $XDG_CONFIG_HOME/Tintrix/Tintrix.conf (by default
// ~/.config/Tintrix/Tintrix.conf), in the INI format QSettings reads (SettingsFile).
//
// The file is read once, when the store is made, and only when it is a regular file of at
// most kMaxSettingsFileBytes: a FIFO, a device or a huge file is never waited on and counts as
// unreadable. Reading reports nothing; an unreadable or damaged file gives no values.
//
// Sync rewrites the file in one step (WriteFileAtomically), keeping every byte of it but the
// values written, under a lock on its folder. A file that cannot be read cleanly (damaged, not
// a regular file, too large) is first kept whole beside it as Tintrix.conf.damaged (copied,
// or moved when it cannot be read; an older one is replaced), and a fresh file holds the
// values written.
class FileSettingsStore final : public SettingsStore {
 public:
  static constexpr std::size_t kMaxSettingsFileBytes = std::size_t{1} << 20;

  // The user's store.
  FileSettingsStore();
  // The store in the file at `path`.
  explicit FileSettingsStore(std::string path);

  std::optional<std::string> Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& text) override;
  Status Sync() override;
  std::string Location() const override { return m_path; }

  // Where a file that could not be read cleanly is kept: Location() + ".damaged".
  std::string DamagedLocation() const { return m_path + ".damaged"; }

 private:
  // The file's bytes to build on; keeps a file that cannot be built on aside first.
  StatusOr<std::string> PrepareFile();

  std::string m_path;
  std::map<std::string, std::string> m_values;
  std::vector<std::pair<std::string, std::string>> m_pending;  // in the order written
};

// Fills every stored field of `fade` from the store, each with its default when nothing is
// stored; a style value that is not a whole number from 0 to 2 gives its default too. An
// empty font becomes "Arial". The text is left alone.
void LoadFadeSettings(FadeSettings& fade, SettingsStore& store);

// Writes all sixteen stored fields, in order, and syncs; fails as Sync does.
Status SaveFadeSettings(const FadeSettings& fade, SettingsStore& store);

}  // namespace tintrix
