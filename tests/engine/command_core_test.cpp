#include "app/command_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/wallpaper_model.h"

namespace {

using Core = vdapp::CommandCore;

struct Trace {
  std::vector<std::string> log;
  int depth = 0, deepest = 0;
  // A command that records its start and end, running body in between.
  Core::Command Make(const std::string& name, Core::Kind kind, std::function<void()> body = {}) {
    return {name, kind, [this, name, body] {
              log.push_back(name);
              deepest = std::max(deepest, ++depth);
              if (body) body();
              --depth;
            }};
  }
};

TEST(CommandCoreTest, CommandsRunInArrivalOrderAndNeverInsideOneAnother) {
  Core core;
  Trace t;
  // The first command pumps messages, as a dialog or a list load does: two
  // commands arrive meanwhile, and one of them submits a third.
  core.Submit(t.Make("load list", Core::Kind::Other, [&] {
    core.Submit(t.Make("relay -l", Core::Kind::Other, [&] { core.Submit(t.Make("relay -i", Core::Kind::Other)); }));
    core.Submit(t.Make("sort", Core::Kind::Other));
    EXPECT_EQ(core.Waiting(), 2u);
    EXPECT_EQ(core.Running(), "load list");
  }));
  EXPECT_EQ(t.log, (std::vector<std::string>{"load list", "relay -l", "sort", "relay -i"}));
  EXPECT_EQ(t.deepest, 1);
  EXPECT_FALSE(core.Busy());
  EXPECT_EQ(core.Running(), "");
}

TEST(CommandCoreTest, AChangeAskedForWhileOneWaitsOrRunsJoinsIt) {
  Core core;
  Trace t;
  Core::Hold hold;
  // A change held over its work on the worker: presses meanwhile join it.
  EXPECT_TRUE(core.Submit(t.Make("change", Core::Kind::Change, [&] { hold = core.HoldUntilFinished(); })));
  EXPECT_TRUE(core.Busy());
  EXPECT_FALSE(core.Submit(t.Make("hot key", Core::Kind::Change)));
  EXPECT_TRUE(core.Submit(t.Make("relay", Core::Kind::Other)));
  EXPECT_FALSE(core.Submit(t.Make("timer", Core::Kind::Change)));
  EXPECT_EQ(t.log, std::vector<std::string>{"change"});
  hold.Finish();
  EXPECT_EQ(t.log, (std::vector<std::string>{"change", "relay"}));

  // Queued behind another command, a change still takes in later requests;
  // once it has run, the next request is a change of its own.
  core.Submit(t.Make("dialog", Core::Kind::Other, [&] {
    EXPECT_TRUE(core.Submit(t.Make("change 2", Core::Kind::Change)));
    EXPECT_FALSE(core.Submit(t.Make("change 3", Core::Kind::Change)));
  }));
  EXPECT_TRUE(core.Submit(t.Make("change 4", Core::Kind::Change)));
  EXPECT_EQ(t.log, (std::vector<std::string>{"change", "relay", "dialog", "change 2", "change 4"}));
}

TEST(CommandCoreTest, HeldCommandsFinishedFromAPumpedMessageLetTheNextRunOutsideThem) {
  Core core;
  Trace t;
  std::function<void()> finishLater;
  core.Submit(t.Make("change", Core::Kind::Change, [&] {
    auto hold = std::make_shared<Core::Hold>(core.HoldUntilFinished());
    finishLater = [hold] { hold->Finish(); };
  }));
  core.Submit(t.Make("remove", Core::Kind::Other));
  EXPECT_EQ(t.log, std::vector<std::string>{"change"});
  // Finished a second time, the hold does nothing.
  finishLater();
  finishLater();
  EXPECT_EQ(t.log, (std::vector<std::string>{"change", "remove"}));
  EXPECT_EQ(t.deepest, 1);

  // A command that finishes its hold before returning (the worker failed at
  // once) frees the core as soon as it returns.
  core.Submit(t.Make("apply", Core::Kind::Other, [&] {
    Core::Hold hold = core.HoldUntilFinished();
    core.Submit(t.Make("after", Core::Kind::Other));
    hold.Finish();
    EXPECT_EQ(t.log.back(), "apply");  // not run inside
  }));
  EXPECT_EQ(t.log.back(), "after");
  EXPECT_FALSE(core.Busy());
}

TEST(CommandCoreTest, OnlyItsOwnFinishReleasesAHoldAndEveryPathReleasesIt) {
  Core core;
  Trace t;
  // A command that holds and then throws holds nothing; the continuation it
  // left behind finishes late, while a later command holds the core.
  std::function<void()> lateFinish;
  core.Submit(t.Make("throws", Core::Kind::Other, [&] {
    auto hold = std::make_shared<Core::Hold>(core.HoldUntilFinished());
    lateFinish = [hold] { hold->Finish(); };
    core.Submit(t.Make("next", Core::Kind::Other));
    throw std::runtime_error("out of memory");
  }));
  EXPECT_EQ(t.log, (std::vector<std::string>{"throws", "next"}));
  EXPECT_FALSE(core.Busy());
  Core::Hold changeHold;
  core.Submit(t.Make("change", Core::Kind::Change, [&] { changeHold = core.HoldUntilFinished(); }));
  core.Submit(t.Make("after change", Core::Kind::Other));
  lateFinish();
  EXPECT_TRUE(core.Busy()) << "a stale finish released a later command";
  EXPECT_EQ(core.Running(), "change");
  EXPECT_TRUE(changeHold.Current());

  // Moved on, the hold is still the one; a continuation that is dropped
  // unrun (its work stopped, or it threw) releases it on its way out.
  {
    std::function<void()> continuation = [h = std::make_shared<Core::Hold>(std::move(changeHold))] { h->Finish(); };
    EXPECT_FALSE(changeHold.Current());
    changeHold.Finish();  // the moved-from one releases nothing
    EXPECT_TRUE(core.Busy());
  }
  EXPECT_EQ(t.log.back(), "after change");
  EXPECT_FALSE(core.Busy());

  // Outside a command there is nothing to hold.
  Core::Hold none = core.HoldUntilFinished();
  EXPECT_FALSE(none.Current());
  EXPECT_FALSE(core.Busy());
}

TEST(CommandCoreTest, AHoldWhoseContinuationReturnedUnfinishedIsReleasedAfterAWhile) {
  std::int64_t now = 1000;
  Core core([&now] { return now; });
  Trace t;
  std::shared_ptr<Core::Hold> hold;
  core.Submit(t.Make("change", Core::Kind::Change, [&] {
    hold = std::make_shared<Core::Hold>(core.HoldUntilFinished());
    hold->Awaiting();  // on the worker
  }));
  core.Submit(t.Make("menu", Core::Kind::Other));
  // However long the work takes, the hold is not stranded.
  now += 10 * Core::kStrandedMs;
  EXPECT_EQ(core.ReleaseStranded(), "");
  // Its answer came back, and the continuation handed the hold on to more
  // work (the system told of the new wallpaper): still not stranded.
  hold->Arrived();
  hold->Awaiting();
  hold->Returned();
  now += 10 * Core::kStrandedMs;
  EXPECT_EQ(core.ReleaseStranded(), "");
  // That answer's continuation returned without finishing: from now on
  // nothing will, and after the limit the core goes on by itself.
  hold->Arrived();
  hold->Returned();
  now += Core::kStrandedMs - 1;
  EXPECT_EQ(core.ReleaseStranded(), "");
  EXPECT_TRUE(core.Busy());
  now += 1;
  EXPECT_EQ(core.ReleaseStranded(), "change");
  EXPECT_EQ(t.log, (std::vector<std::string>{"change", "menu"}));
  EXPECT_FALSE(core.Busy());
  // The released hold's own finish, arriving after all, does nothing to
  // the command that holds the core by then.
  std::shared_ptr<Core::Hold> released = std::move(hold);
  core.Submit(t.Make("timer change", Core::Kind::Change, [&] { hold = std::make_shared<Core::Hold>(core.HoldUntilFinished()); }));
  core.Submit(t.Make("relay", Core::Kind::Other));
  released->Finish();
  EXPECT_EQ(core.Running(), "timer change");
  EXPECT_EQ(core.ReleaseStranded(), "") << "a hold whose continuation has not run yet is never stranded";
  hold.reset();  // its continuation dropped
  EXPECT_EQ(t.log.back(), "relay");
  EXPECT_FALSE(core.Busy());
}

TEST(CommandCoreTest, WithASchedulerEachWaitingCommandRunsOnATurnOfItsOwn) {
  Core core;
  Trace t;
  int turnsAsked = 0;
  core.SetScheduler([&turnsAsked] { ++turnsAsked; });
  Core::Hold hold;
  core.Submit(t.Make("change", Core::Kind::Change, [&] { hold = core.HoldUntilFinished(); }));
  for (const char* relay : {"relay 1", "relay 2", "relay 3"}) core.Enqueue(t.Make(relay, Core::Kind::Other));
  hold.Finish();
  // Relays that piled up behind a change do not run in one go.
  EXPECT_EQ(t.log, (std::vector<std::string>{"change", "relay 1"}));
  EXPECT_EQ(turnsAsked, 1);
  core.RunWaiting();
  core.RunWaiting();
  EXPECT_EQ(t.log, (std::vector<std::string>{"change", "relay 1", "relay 2", "relay 3"}));
  EXPECT_EQ(turnsAsked, 2) << "nothing left, no turn asked for";
  EXPECT_FALSE(core.Busy());
}

TEST(CommandCoreTest, ShuttingDownCarriesWaitingRelaysOverAndDropsTheRest) {
  Core core;
  Trace t;
  std::vector<std::string> carried;
  auto relay = [&](const std::string& picture) {
    Core::Command c = t.Make("relay " + picture, Core::Kind::Other);
    c.atEnd = [&carried, picture] { carried.push_back(picture); };
    return c;
  };
  Core::Hold hold;
  core.Submit(t.Make("change", Core::Kind::Change, [&] { hold = core.HoldUntilFinished(); }));
  // Relays answered while the change runs wait in the core.
  core.Enqueue(relay("a.jpg"));
  core.Enqueue(t.Make("sort", Core::Kind::Other));
  core.Enqueue(relay("b.jpg"));
  EXPECT_EQ(core.Shut(), 2u);
  EXPECT_EQ(carried, (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_EQ(core.Waiting(), 0u);
  EXPECT_FALSE(core.Submit(t.Make("late", Core::Kind::Other)));
  EXPECT_FALSE(core.Enqueue(relay("c.jpg")));
  hold.Finish();
  EXPECT_EQ(t.log, std::vector<std::string>{"change"}) << "nothing runs after the end";
  EXPECT_EQ(carried.size(), 2u);
}

struct Recorder : vdapp::ListObserver {
  std::vector<std::string> calls;
  void ListReplaced() override { calls.push_back("replaced"); }
  void EntriesAppended(int first) override { calls.push_back("appended " + std::to_string(first)); }
  void EntryRemoved(int index) override { calls.push_back("removed " + std::to_string(index)); }
  void SelectionChanged(int index) override { calls.push_back("selected " + std::to_string(index)); }
  void StyleChanged(int style) override { calls.push_back("style " + std::to_string(style)); }
};

vd::ListEntry Entry(const std::string& name) { return {"C:\\P\\", name, ".jpg"}; }

TEST(WallpaperModelTest, TheSelectionFollowsTheEntryThroughRemovalsAndReordering) {
  vdapp::WallpaperModel m;
  Recorder r;
  m.SetObserver(&r);
  m.Append(std::vector<vd::ListEntry>{Entry("c"), Entry("a"), Entry("d"), Entry("b")});
  m.Select(2);  // "d"
  m.Remove(0);
  EXPECT_EQ(m.Selected(), 1);
  EXPECT_EQ(m.At(m.Selected()).name, "d");
  ASSERT_TRUE(m.Reorder({2, 0, 1}));  // b a d
  EXPECT_EQ(m.At(m.Selected()).name, "d");
  EXPECT_EQ(m.Selected(), 2);
  EXPECT_FALSE(m.Reorder({0, 0, 1}));  // no permutation: nothing changes
  m.Remove(2);
  EXPECT_EQ(m.Selected(), -1);
  m.SetStyle(7);
  EXPECT_EQ(m.Style(), -1);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"appended 0", "selected 2", "removed 0", "replaced", "selected 2",
                                               "removed 2", "style -1"}));
}

TEST(WallpaperModelTest, RandomOrderShowsEveryEntryOnceAcrossAppendsAndRemovals) {
  vdapp::WallpaperModel m;
  for (const char* n : {"a", "b", "c"}) m.Append(Entry(n));
  std::vector<std::string> shown;
  unsigned r = 0;
  auto random = [&r] { return (r += 7919u); };
  for (int k : m.TakeNext(2, true, random)) shown.push_back(m.At(k).name);
  m.Append(Entry("d"));
  // Removing one still to come takes it out of the round.
  for (int i = 0; i < m.Count(); ++i) {
    if (std::find(shown.begin(), shown.end(), m.At(i).name) == shown.end() && m.At(i).name != "d") {
      m.Remove(i);
      break;
    }
  }
  shown.push_back(m.At(m.TakeNext(1, true, random).front()).name);
  EXPECT_EQ(shown.back(), "d");
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(std::unique(shown.begin(), shown.end()), shown.end());
}

TEST(WallpaperModelTest, EachMonitorTakesTheNextEntryAndTheNextChangeGoesOnAfterThem) {
  vdapp::WallpaperModel m;
  for (const char* n : {"a", "b", "c"}) m.Append(Entry(n));
  auto none = [] { return 0u; };
  EXPECT_EQ(m.TakeNext(2, false, none), (std::vector<int>{0, 1}));
  EXPECT_EQ(m.Selected(), 0) << "the first monitor's picture is the selected one";
  EXPECT_EQ(m.TakeNext(2, false, none), (std::vector<int>{2, 0}));
  EXPECT_EQ(m.TakeNext(1, false, none), (std::vector<int>{1}));
  m.Select(2);  // picked by hand: the next change goes on from there
  EXPECT_EQ(m.TakeNext(4, false, none), (std::vector<int>{0, 1, 2, 0})) << "fewer pictures than monitors repeat";
  vdapp::WallpaperModel one;
  one.Append(Entry("only"));
  EXPECT_EQ(one.TakeNext(3, true, none), (std::vector<int>{0, 0, 0}));
}

TEST(CommandCoreTest, ABurstOfLayoutChangesGivesOneRecompositionAfterTheRunningOne) {
  Core core;
  Trace t;
  Core::Hold hold;
  core.Submit(t.Make("recompose", Core::Kind::Recompose, [&] { hold = core.HoldUntilFinished(); }));
  EXPECT_TRUE(core.Submit(t.Make("recompose 2", Core::Kind::Recompose)));
  EXPECT_FALSE(core.Submit(t.Make("recompose 3", Core::Kind::Recompose)));
  hold.Finish();
  EXPECT_EQ(t.log, (std::vector<std::string>{"recompose", "recompose 2"}));
}

}  // namespace
