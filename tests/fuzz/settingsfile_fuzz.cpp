// The settings file on arbitrary bytes, key and value: a value set reads back exactly, and a
// file that was clean stays clean.
#include <cstdint>
#include <string>

#include "store/settingsfile.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tintrix::fuzz::Fail;
  tintrix::fuzz::FuzzInput input(data, size);
  const std::string value = input.Next();
  const std::string file = input.Rest();
  tintrix::SettingsFile settings(file);
  const bool clean = settings.clean();
  settings.Value("Fader", "Font");
  // The store writes only its own keys, into its own group.
  settings.Set("Fader", "Font", value);
  const std::optional<std::string> read = settings.Value("Fader", "Font");
  if (clean && read != value) Fail("a value set does not read back");
  if (clean && !settings.clean()) Fail("a clean file became damaged");
  if (tintrix::SettingsFile(tintrix::EscapeSettingsValue(value)).bytes().empty() &&
      !value.empty()) {
    Fail("a value escaped to nothing");
  }
  return 0;
}
