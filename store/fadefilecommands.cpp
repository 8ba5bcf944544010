#include "store/fadefilecommands.h"

#include <optional>

#include "engine/text.h"
#include "platform/paths.h"
#include "store/profile.h"

namespace tintrix {

namespace {

constexpr const char* kSection = "Main";

// A style text as a fade file holds it: a decimal number rounded half to even; only 0, 1 and
// 2 are flags.
std::optional<int> FlagFromFadeFile(const std::string& text) {
  const std::optional<double> number = ParseDecimal(text);
  // RoundHalfEven holds for numbers of a sensible size; one this large is no flag anyway.
  if (!number || *number > 32767.0 || *number < -32768.0) return std::nullopt;
  const double rounded = RoundHalfEven(*number);
  if (rounded == 0 || rounded == 1 || rounded == 2) return static_cast<int>(rounded);
  return std::nullopt;
}

}  // namespace

Status ApplyFadeFile(FadeSettings& fade, const std::string& path) {
  StatusOr<ProfileDocument> read = ReadProfileFile(path);
  if (!read.ok() && read.status().code() == StatusCode::kIoError) return read.status();
  // Anything else that is not a readable file is no fade file.
  const ProfileDocument document = read.ok() ? std::move(read).value() : ProfileDocument();
  FadeSettings opened = fade;
  bool anyKey = false;
  for (const FadeField& field : kFadeFields) {
    const std::optional<std::string> value = document.Find(kSection, field.key);
    anyKey = anyKey || value.has_value();
    if (!field.IsFlag()) {
      TextField(opened, field) = value.value_or("");
    } else if (const std::optional<int> flag = FlagFromFadeFile(value.value_or(""))) {
      opened.*field.flag = *flag;
    }
  }
  if (!anyKey) return Status::NotFound(QuoteName(path) + " is not a fade file.");
  fade = std::move(opened);
  return Status::Ok();
}

Status SaveFadeFile(const FadeSettings& fade, const std::string& name, const std::string& path) {
  Status status = UpdateProfileFile(path, [&](ProfileDocument& document) {
    // As seventeen separate key writes would leave it, each refused key passed over.
    document.Set(kSection, "FadeName", name);
    for (const FadeField& field : kFadeFields) {
      document.Set(kSection, field.key, StoredText(fade, field));
    }
    return true;
  });
  if (status.code() == StatusCode::kInvalidArgument) {
    // Not a regular file, or too large to be one of ours: replacing it could lose something.
    return Status::InvalidArgument(QuoteName(path) + " is not a fade file.");
  }
  return status;
}

namespace {

// The folder a file dialog opens in: that of the fade file last used, else the home folder.
std::string DialogFolder(const std::string& currentFadeFile) {
  if (currentFadeFile.find('/') != std::string::npos) return FolderOf(currentFadeFile);
  return HomeFolder();
}

}  // namespace

void SaveFade(const FadeSettings& fade, Desktop& desktop, std::string& currentFadeFile) {
  const std::optional<std::string> name =
      desktop.PromptText("Please Choose A Name For This Fade.", kAppTitle);
  if (!name || name->empty()) return;
  const std::string folder = DialogFolder(currentFadeFile);
  currentFadeFile.clear();
  const std::optional<std::string> path = desktop.SaveFadeFileName(folder);
  if (!path) return;
  currentFadeFile = *path;
  const Status status = SaveFadeFile(fade, *name, currentFadeFile);
  if (!status.ok()) desktop.ShowMessage(status.message(), kErrorTitle, MessageIcon::Critical);
}

void OpenFade(FadeSettings& fade, Desktop& desktop, std::string& currentFadeFile) {
  const std::string folder = DialogFolder(currentFadeFile);
  currentFadeFile.clear();
  const std::optional<std::string> path = desktop.OpenFadeFileName(folder);
  if (!path) return;
  currentFadeFile = *path;
  const Status status = ApplyFadeFile(fade, currentFadeFile);
  if (!status.ok()) desktop.ShowMessage(status.message(), kErrorTitle, MessageIcon::Critical);
}

void ShowFadeInfo(Desktop& desktop, const std::string& currentFadeFile) {
  const std::string name = ReadProfileValue(kSection, "FadeName", currentFadeFile);
  if (name.empty()) {
    desktop.ShowMessage("No Fade File was opened or saved!", kErrorTitle, MessageIcon::Critical);
  } else {
    desktop.ShowMessage("Fade Info:\r\r" + name, kAppTitle, MessageIcon::None);
  }
}

}  // namespace tintrix
