// Relays that reach VD while it is still starting: its main window and text
// box exist before the list is loaded, so commands arrive early. They are
// held and carried out in order once the list is there; none is lost, and
// nothing is written before the program's paths are known.
#include <algorithm>
#include <thread>

#include "harness.h"
#include "main/control_ids.h"

namespace e2e {
namespace {

class StartupRelayTest : public VdTest {
 protected:
  // Runs Pelorin to its end (it waits for the text to be taken, or gives up).
  void Relay(const std::string& args) {
    Process p = Start(PelorinExe(), args, Temp().Path());
    EXPECT_TRUE(p.WaitExit(15000)) << args;
  }
  std::string Status(const Process& vd) const {
    return ControlText(FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle), ids::lblPro);
  }
};

TEST_F(StartupRelayTest, RelaysAtEveryMomentOfTheStartAreCarriedOutInOrderAfterTheListLoads) {
  RegWrite(HKEY_CURRENT_USER, kProgramKey, "Enabled VD", "0");
  const std::string pics = Temp() / "pics";
  MakeFolder(pics);
  std::vector<std::string> b;
  for (int i = 0; i < 7; ++i) {
    b.push_back(pics + "\\b" + std::to_string(i) + ".bmp");
    WriteFileText(b.back(), MakeBmp(4, 4, 10, 20, static_cast<unsigned char>(30 * i)));
  }
  const std::string a = pics + "\\a.bmp";
  WriteFileText(a, MakeBmp(4, 4, 200, 0, 0));
  // Many lines naming missing files keep the list loading for a while.
  std::string list = a + "\r\n";
  for (int i = 0; i < 20000; ++i) list += pics + "\\gone" + std::to_string(i) + ".jpg\r\n";
  WriteFileText(DefaultListPath(), list);
  const std::string cwd = Temp() / "cwd";
  MakeFolder(cwd);

  Process vd = Start(VdExe(), "", Temp().Path(), cwd);
  // The moment the main window exists: settings not read, paths not known.
  ASSERT_TRUE(WaitForProcessWindow(vd.Pid(), kFormClass, kMainTitle, 15000));
  Relay("-i " + b[0]);
  Relay("-i " + b[1]);
  // While the list loads: several at once.
  HWND listBox = ::GetDlgItem(MainWindow(vd), ids::imgList);
  WaitUntil([&] { return Status(vd) == "Loading wallpapers list..." || !ListBoxItems(listBox).empty(); }, 15000, 10);
  {
    std::vector<std::thread> together;
    for (int i = 2; i < 5; ++i) together.emplace_back([&, i] { Relay("-i " + b[static_cast<std::size_t>(i)]); });
    for (auto& t : together) t.join();
  }
  Relay("-i " + b[5]);
  ASSERT_TRUE(WaitReady(vd, 60000));
  // And once started, as always.
  Relay("-i " + b[6]);

  std::vector<std::string> names;
  WaitUntil([&] { return (names = ListBoxItems(listBox)).size() >= 8; }, 10000);
  ASSERT_EQ(names.size(), 8u) << "every relay is carried out once";
  EXPECT_EQ(names[0], "a") << "the loaded list comes first";
  EXPECT_EQ(names[1], "b0");
  EXPECT_EQ(names[2], "b1");
  std::vector<std::string> together(names.begin() + 3, names.begin() + 6);
  std::sort(together.begin(), together.end());
  EXPECT_EQ(together, (std::vector<std::string>{"b2", "b3", "b4"})) << "the three sent at once, in any order";
  EXPECT_EQ(names[6], "b5");
  EXPECT_EQ(names[7], "b6");

  std::string expected;
  for (const std::string& n : names) expected += pics + "\\" + n + ".bmp\r\n";
  EXPECT_TRUE(WaitUntil([&] { return ReadFileText(DefaultListPath()) == expected; }, 5000))
      << "the default list file mirrors the list";
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((cwd + "\\*").c_str(), &fd);
  int stray = 0;
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (std::string(fd.cFileName) != "." && std::string(fd.cFileName) != "..") ++stray;
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
  }
  EXPECT_EQ(stray, 0) << "nothing is written into the current folder";
}

}  // namespace
}  // namespace e2e
