// What keeps the fade when the session, not the user, ends the program: the store that follows
// changes, and the termination signals turned into events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <csignal>
#include <functional>
#include <vector>

#include "platform/terminationsignals.h"
#include "store/fadeautosave.h"
#include "tests/eventually.h"
#include "tests/memorystore.h"

namespace tintrix {
namespace {

using namespace std::chrono_literals;
using testing::Eventually;
using testing::MemoryStore;

class FadeAutosaveTest : public ::testing::Test {
 protected:
  FadeSettings fade = DefaultFade();
  MemoryStore store;
  FadeAutosave autosave{fade, store, 20ms};
};

TEST_F(FadeAutosaveTest, StoresAChangeSoonAndOnlyOnce) {
  fade.colors[0] = "255";
  fade.italic = 1;
  autosave.Changed();
  EXPECT_EQ(store.syncs, 0);  // not at once: a burst of changes is one write
  ASSERT_TRUE(Eventually([&] { return store.syncs == 1; }));
  EXPECT_EQ(store.values["Color1"], "255");
  EXPECT_EQ(store.values["Italic"], "1");
  // Nothing changed since: neither a later change note nor a direct request writes again.
  autosave.Changed();
  EXPECT_FALSE(autosave.Pending());
  EXPECT_TRUE(autosave.StoreIfChanged().ok());
  EXPECT_EQ(store.syncs, 1);
}

TEST_F(FadeAutosaveTest, WhatIsNotStoredCausesNoWrite) {
  const struct {
    const char* name;
    std::function<void(FadeSettings&)> change;
  } cases[] = {
      {"the text", [](FadeSettings& f) { f.text = "typed"; }},
      {"a colour past the tenth", [](FadeSettings& f) { f.colors[20].assign(1, '7'); }},
      {"the font it had", [](FadeSettings& f) { f.font = "Arial"; }},
  };
  for (const auto& c : cases) {
    c.change(fade);
    autosave.Changed();
    EXPECT_FALSE(autosave.Pending()) << c.name;
  }
  fade.font = "Other";
  autosave.Changed();
  fade.font = "Arial";
  autosave.Changed();
  EXPECT_FALSE(autosave.Pending()) << "a change undone before it was stored";
  QCoreApplication::processEvents();
  EXPECT_EQ(store.syncs, 0);
}

TEST_F(FadeAutosaveTest, AFailedStoreIsTriedAgainAtTheNextChange) {
  store.syncSucceeds = false;
  fade.bold = 0;
  EXPECT_FALSE(autosave.StoreIfChanged().ok());
  store.syncSucceeds = true;
  autosave.Changed();
  EXPECT_TRUE(autosave.Pending());
  ASSERT_TRUE(Eventually([&] { return !autosave.Pending(); }));
  EXPECT_EQ(store.syncs, 2);
  EXPECT_EQ(store.values["Bold"], "0");
}

TEST(TerminationSignals, EachArrivesAsACallFromTheEventLoop) {
  std::vector<int> received;
  {
    const TerminationSignals handling([&](int number) { received.push_back(number); });
    for (const int number : TerminationSignals::kSignals) {
      ASSERT_EQ(std::raise(number), 0);
      // The handler only wrote into the pipe: the program still runs, and nothing was called.
      EXPECT_TRUE(received.empty() || received.back() != number);
      ASSERT_TRUE(Eventually([&] { return !received.empty() && received.back() == number; }));
    }
  }
  EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
  // Gone with the object: the default handling is back.
  struct sigaction action = {};
  ASSERT_EQ(sigaction(SIGTERM, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace tintrix
