#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/desktop.h"

namespace tintrix::testing {

// A random source that hands out given fractions, then repeats the last one.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<double> fractions = {0.5}) : m_fractions(fractions) {}
  double NextFraction() override {
    const double r = m_fractions.front();
    if (m_fractions.size() > 1) m_fractions.pop_front();
    ++draws;
    return r;
  }
  void ReseedFromClock() override { ++reseeds; }

  int draws = 0;
  int reseeds = 0;

 private:
  std::deque<double> m_fractions;
};

struct Message {
  std::string text;
  std::string title;
  MessageIcon icon;
  std::string informative;

  bool operator==(const Message&) const = default;
};

// Records what commands show and answers as the test scripted.
class FakeDesktop final : public Desktop {
 public:
  void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                   const std::string& informative) override {
    messages.push_back({text, title, icon, informative});
  }
  void LetPendingEventsRun() override { ++eventRuns; }
  RandomSource& Random() override { return random; }

  std::vector<Message> messages;
  int eventRuns = 0;
  ScriptedRandom random;
};

}  // namespace tintrix::testing
