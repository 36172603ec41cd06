#include "engine/history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/history_steps.h"
#include "app/wallpaper_model.h"

namespace {

using vd::HistoryEntry;
using vd::WallpaperHistory;

HistoryEntry One(const std::string& path, int style = 0) { return {{path}, style}; }

std::vector<vd::ListEntry> Pictures(int n) {
  std::vector<vd::ListEntry> entries;
  for (int i = 0; i < n; ++i) entries.push_back(vd::SplitEntry("C:\\p\\" + std::to_string(i) + ".jpg"));
  return entries;
}

// What the change command does with a step: a new picture taken is recorded
// once it is on the desktop; an entry of the history is shown as it is.
std::string Change(WallpaperHistory& h, vdapp::WallpaperModel& list, const std::set<std::string>& gone = {}) {
  const std::vector<bool> usable =
      vdapp::UsableEntries(h, [&gone](const std::string& p) { return !gone.contains(p); });
  // A fixed linear congruential sequence: the same draws in every run.
  unsigned draw = 12345u + static_cast<unsigned>(h.Count()) * 7919u;
  const vdapp::ChangeStep step = vdapp::StepForChange(h, usable, list, 1, true, [&draw] {
    draw = draw * 1664525u + 1013904223u;
    return draw;
  });
  if (step.historyIndex >= 0) return h.At(step.historyIndex).pictures.front();
  if (step.taken.empty()) return "";
  const std::string path = list.At(step.taken.front()).FullPath();
  h.Record(One(path));
  return path;
}

std::string Back(WallpaperHistory& h, const std::set<std::string>& gone = {}) {
  const int i = vdapp::StepBack(h, vdapp::UsableEntries(h, [&gone](const std::string& p) { return !gone.contains(p); }));
  return i < 0 ? "" : h.At(i).pictures.front();
}

TEST(HistoryTest, BackThenChangeGoesForwardAndLeavesTheRandomRoundAlone) {
  vdapp::WallpaperModel list;
  list.Replace(Pictures(6));
  WallpaperHistory h;
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_EQ(Back(h), "");  // nothing to go back to

  const std::string a = Change(h, list), b = Change(h, list), c = Change(h, list);
  const int selectedAfterC = list.Selected();
  EXPECT_TRUE(h.CanGoBack());
  EXPECT_FALSE(h.CanGoForward());

  // One step back each time, then nothing more.
  EXPECT_EQ(Back(h), b);
  EXPECT_EQ(Back(h), a);
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_EQ(Back(h), "");
  EXPECT_EQ(h.Position(), 0);
  // Going back did not touch the list.
  EXPECT_EQ(list.Selected(), selectedAfterC);

  // A change goes forward through what was shown, recording nothing new.
  EXPECT_EQ(Change(h, list), b);
  EXPECT_EQ(Change(h, list), c);
  EXPECT_EQ(h.Count(), 3);
  EXPECT_EQ(list.Selected(), selectedAfterC);

  // Then new pictures: the random round goes on as if nothing had been
  // shown again, so the six changes show six different pictures.
  std::set<std::string> shown = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    const std::string next = Change(h, list);
    EXPECT_TRUE(shown.insert(next).second) << next << " came twice in one round";
  }
  EXPECT_EQ(shown.size(), 6u);
  EXPECT_EQ(h.Count(), 6);
  EXPECT_FALSE(h.CanGoForward());
}

TEST(HistoryTest, EntriesWhoseFilesAreGoneAreSkippedBothWays) {
  vdapp::WallpaperModel list;
  list.Replace(Pictures(3));
  WallpaperHistory h;
  for (const char* p : {"C:\\a.jpg", "C:\\b.jpg", "C:\\c.jpg", "C:\\d.jpg"}) h.Record(One(p));
  const std::set<std::string> gone = {"C:\\b.jpg", "C:\\c.jpg"};
  EXPECT_EQ(Back(h, gone), "C:\\a.jpg");
  // Forward skips them too and lands on d.
  EXPECT_EQ(Change(h, list, gone), "C:\\d.jpg");
  // With everything before gone, Previous does nothing.
  EXPECT_EQ(Back(h, {"C:\\a.jpg", "C:\\b.jpg", "C:\\c.jpg"}), "");
  EXPECT_EQ(h.Position(), 3);

  // Going back, then everything ahead vanishes: a change takes a new picture
  // from the list and the history carries on from its newest entry.
  EXPECT_EQ(Back(h), "C:\\c.jpg");
  const std::string fresh = Change(h, list, {"C:\\d.jpg"});
  EXPECT_TRUE(fresh.starts_with("C:\\p\\")) << fresh;
  EXPECT_EQ(h.Count(), 5);
  EXPECT_EQ(h.Position(), 4);

  // A picture applied by hand after going back: what lay ahead goes, and
  // Previous returns to the picture shown before it.
  h.Record(One("C:\\x.jpg"));
  h.Record(One("C:\\y.jpg"));
  EXPECT_EQ(Back(h), "C:\\x.jpg");
  EXPECT_EQ(Back(h), fresh);
  h.Record(One("C:\\by-hand.jpg"));
  EXPECT_EQ(h.Count(), 6);
  EXPECT_FALSE(h.CanGoForward());
  EXPECT_EQ(Back(h), fresh);

  // A multi-monitor entry is usable only when every picture is there.
  h.Record({{"C:\\left.jpg", "C:\\right.jpg"}, 3});
  h.Record(One("C:\\e.jpg"));
  EXPECT_EQ(Back(h, {"C:\\right.jpg"}), fresh);

  // An answer computed for another history (it grew meanwhile) counts as nothing usable.
  WallpaperHistory g;
  for (const char* p : {"C:\\a.jpg", "C:\\b.jpg"}) g.Record(One(p));
  EXPECT_EQ(vdapp::StepBack(g, {true, true, true}), -1);
  EXPECT_EQ(g.Position(), 1);
}

TEST(HistoryTest, KeepsTheLastHundredAndRoundTripsThroughText) {
  WallpaperHistory h;
  h.Record({{}, 0});  // nothing shown: not recorded
  EXPECT_EQ(h.Count(), 0);
  for (int i = 0; i < 130; ++i) h.Record(One("C:\\pics\\Ωmega " + std::to_string(i) + ".jpg", i % 5));
  ASSERT_EQ(h.Count(), 100);
  EXPECT_EQ(h.At(0).pictures.front(), "C:\\pics\\Ωmega 30.jpg");
  h.Record({{"C:\\l.jpg", "D:\\r.png"}, 4});
  h.MoveTo(h.BackTarget({}));
  h.MoveTo(h.BackTarget({}));

  const WallpaperHistory r = WallpaperHistory::FromText(h.ToText());
  EXPECT_EQ(r.Entries(), h.Entries());
  EXPECT_EQ(r.Position(), h.Position());
  EXPECT_EQ(r.Position(), 97);
  EXPECT_EQ(r.At(99).pictures, (std::vector<std::string>{"C:\\l.jpg", "D:\\r.png"}));
  EXPECT_EQ(r.At(99).style, 4);
}

TEST(HistoryTest, ReadsWhatIsWholeFromDamagedTruncatedAndHugeFiles) {
  WallpaperHistory h;
  for (int i = 0; i < 5; ++i) h.Record(One("C:\\" + std::to_string(i) + ".jpg", 1));
  const std::string text = h.ToText();

  // Cut in the middle of the oldest entry's line: the four newer ones stay.
  const std::string cut = text.substr(0, text.size() - 4);
  WallpaperHistory r = WallpaperHistory::FromText(cut);
  ASSERT_EQ(r.Count(), 4);
  EXPECT_EQ(r.At(0).pictures.front(), "C:\\1.jpg");
  EXPECT_EQ(r.At(3).pictures.front(), "C:\\4.jpg");
  EXPECT_EQ(r.Position(), 3);

  // Damaged lines among good ones: only the good ones are read; a position
  // beyond the entries is taken as the oldest.
  std::string damaged = "Vexa Desktop history 1\r\nposition 999\r\n";
  damaged += "2\tC:\\good1.jpg\r\n";
  damaged += "x\tC:\\bad-style.jpg\r\n";
  damaged += "9\tC:\\bad-style2.jpg\r\n";
  damaged += "1\r\n";                          // no picture
  damaged += "1\tC:\\a.jpg\t\tC:\\b.jpg\r\n";  // an empty picture
  damaged += std::string("0\tC:\\ctl\x01.jpg\r\n");
  damaged += std::string(300, '\0') + "\r\n";
  damaged += "\xff\xfe garbage \t\t\r\n";
  damaged += "3\tC:\\good2.jpg\n";  // a bare line feed is a line end too
  r = WallpaperHistory::FromText(damaged);
  ASSERT_EQ(r.Count(), 2);
  EXPECT_EQ(r.At(1), One("C:\\good1.jpg", 2));
  EXPECT_EQ(r.At(0), One("C:\\good2.jpg", 3));
  EXPECT_EQ(r.Position(), 0);

  // Empty and headless texts.
  EXPECT_EQ(WallpaperHistory::FromText("").Count(), 0);
  EXPECT_EQ(WallpaperHistory::FromText("").Position(), -1);
  EXPECT_EQ(WallpaperHistory::FromText("0\tC:\\x.jpg\r\n").Count(), 1);

  // 10 MB of entries: at most 100 read, from the file's start (the newest),
  // and quickly, since nothing past the cap is looked at.
  std::string huge = "Vexa Desktop history 1\r\nposition 0\r\n";
  for (int i = 0; huge.size() < 10u << 20; ++i) huge += "0\tC:\\huge\\" + std::to_string(i) + ".jpg\r\n";
  r = WallpaperHistory::FromText(huge);
  ASSERT_EQ(r.Count(), 100);
  EXPECT_EQ(r.At(99).pictures.front(), "C:\\huge\\0.jpg");
  EXPECT_EQ(r.Position(), 99);
  // A single 10 MB line with no line end reads as nothing.
  EXPECT_EQ(WallpaperHistory::FromText(std::string(10u << 20, 'A')).Count(), 0);
}

}  // namespace
