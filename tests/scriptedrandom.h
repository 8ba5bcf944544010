#pragma once

#include <deque>

#include "engine/randomsource.h"

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

}  // namespace tintrix::testing
