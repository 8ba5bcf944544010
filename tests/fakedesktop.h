#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/shell.h"
#include "tests/scriptedrandom.h"

namespace tintrix::testing {

struct Message {
  std::string text;
  std::string title;
  MessageIcon icon;
  std::string informative;

  bool operator==(const Message&) const = default;
};

// Records what commands show and answers as the test scripted.
class FakeDesktop : public Desktop {
 public:
  void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                   const std::string& informative) override {
    messages.push_back({text, title, icon, informative});
  }
  std::optional<std::string> PromptText(const std::string& prompt,
                                        const std::string& title) override {
    prompts.push_back({prompt, title});
    return Next(promptAnswers);
  }
  std::optional<std::string> OpenFadeFileName(const std::string& folder) override {
    ++openDialogs;
    dialogFolders.push_back(folder);
    return Next(openAnswers);
  }
  std::optional<std::string> SaveFadeFileName(const std::string& folder) override {
    ++saveDialogs;
    dialogFolders.push_back(folder);
    return Next(saveAnswers);
  }
  std::optional<std::uint32_t> PickColor(std::optional<std::uint32_t> initial) override {
    pickerInitials.push_back(initial);
    return Next(colorAnswers);
  }
  std::vector<std::string> FontFamilies() override { return fontFamilies; }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  void LetPendingEventsRun() override { ++eventRuns; }
  RandomSource& Random() override { return random; }

  std::vector<Message> messages;
  std::vector<std::pair<std::string, std::string>> prompts;  // prompt, title
  int openDialogs = 0;
  int saveDialogs = 0;
  std::vector<std::string> dialogFolders;  // where each file dialog opened
  std::vector<std::optional<std::uint32_t>> pickerInitials;
  std::vector<std::string> fontFamilies = {"Arial", "DejaVu Sans", "Times"};
  std::optional<std::string> clipboard;
  int eventRuns = 0;
  ScriptedRandom random;

  // Scripted answers, taken in order; an empty queue answers like Cancel.
  std::deque<std::optional<std::string>> promptAnswers;
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  std::deque<std::optional<std::uint32_t>> colorAnswers;

 private:
  template <typename T>
  static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<T> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Records the web pages the program asks to open, finds the programs it was told are
// installed (under /opt/bin), and records what it starts.
class FakeShell final : public Shell {
 public:
  void OpenUrl(const QUrl& url) override { opened.push_back(url); }
  QString FindProgram(const QString& program) override {
    lookups << program;
    return installed.contains(program) ? QStringLiteral("/opt/bin/") + program : QString();
  }
  bool StartDetached(const QString& path, const QStringList& arguments) override {
    starts.push_back({path, arguments});
    return startSucceeds;
  }

  std::vector<QUrl> opened;
  QStringList installed;
  bool startSucceeds = true;
  QStringList lookups;
  std::vector<std::pair<QString, QStringList>> starts;
};

}  // namespace tintrix::testing
