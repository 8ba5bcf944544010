#pragma once

#include <map>
#include <optional>
#include <string>

#include "store/settingsstore.h"

namespace tintrix::testing {

// A settings store in memory that counts its syncs and fails them on request.
class MemoryStore final : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& key) override {
    const auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  void Write(const std::string& key, const std::string& text) override { values[key] = text; }
  Status Sync() override {
    ++syncs;
    if (syncSucceeds) return Status::Ok();
    return Status::IoError("Could not save the settings to " + Location() +
                           ": No space left on device");
  }
  std::string Location() const override { return "/memory/Tintrix.conf"; }

  std::map<std::string, std::string> values;
  int syncs = 0;
  bool syncSucceeds = true;
};

}  // namespace tintrix::testing
