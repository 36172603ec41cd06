// At 150 % and 200 %: VD's windows are laid out at the screen's DPI with no
// text cut off, and the wallpaper still fills the physical screen.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "dialogs/dialog_ids.h"
#include "harness.h"
#include "main/control_ids.h"
#include "pictures.h"
#include "ui.h"

namespace e2e {
namespace {

constexpr const char* kSettingsTitle = "Settings: Vexa Desktop v1.1";
constexpr const char* kAboutTitle = "About: Vexa Desktop";

HWND ShownWindow(const Process& vd, const char* title) {
  HWND w = nullptr;
  WaitUntil([&] { return IsVisible(w = FindProcessWindow(vd.Pid(), kFormClass, title)); }, 10000);
  return IsVisible(w) ? w : nullptr;
}

std::string ClassOf(HWND w) {
  char name[64] = {};
  ::GetClassNameA(w, name, sizeof name);
  return name;
}

// Every caption of a dialog's labels, check boxes, option buttons, frames and
// buttons has room in its control, measured in the system's message font at
// dpi, the font the dialogs use.
void ExpectEveryCaptionFits(HWND dialog, UINT dpi, bool buttonsOnly) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi));
  HFONT font = ::CreateFontIndirectW(&metrics.lfMessageFont);
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  const int box = ::GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi);  // a check box's or option button's mark
  int checked = 0;
  for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    wchar_t text[256] = {};
    if (!::IsWindowVisible(c) || ::GetWindowTextW(c, text, 256) == 0) continue;
    const std::string kind = ClassOf(c);
    const LONG style = ::GetWindowLongA(c, GWL_STYLE);
    RECT r{};
    ::GetClientRect(c, &r);
    const std::string what = kind + " \"" + Utf8(text) + "\"";
    if (kind == "Static" && !buttonsOnly) {
      if ((style & SS_TYPEMASK) != SS_LEFT) continue;
      RECT needed{0, 0, r.right, 0};
      ::DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
      EXPECT_LE(needed.bottom, r.bottom) << what << ": every wrapped line shows";
      ++checked;
    } else if (kind == "Button") {
      const LONG type = style & BS_TYPEMASK;
      const bool mark = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ||
                        type == BS_RADIOBUTTON;
      if (buttonsOnly && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) continue;
      RECT needed{};
      ::DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
      EXPECT_LE(needed.right + (mark ? box + 2 : 0), r.right) << what << ": the caption is whole";
      EXPECT_LE(needed.bottom, r.bottom) << what;
      ++checked;
    }
  }
  EXPECT_GE(checked, buttonsOnly ? 6 : 14) << "the dialog's controls were found";
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(font);
}

// The progress form's picture (the sky and meadow of its framed landscape) is
// whole, square as drawn, and left of both labels, which do not overlap.
void ExpectProgressFormLabelsClearOfItsPicture(HWND wait) {
  RECT client{};
  ::GetClientRect(wait, &client);
  ::MapWindowPoints(wait, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const std::vector<std::uint32_t> px = CaptureScreen(client);
  const int w = client.right - client.left, h = client.bottom - client.top;
  RECT picture{w, h, -1, -1};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint32_t c = px[static_cast<std::size_t>(y) * w + x];
      if (c != 0xAACDF0 && c != 0x5A9650) continue;
      picture = RECT{std::min<LONG>(picture.left, x), std::min<LONG>(picture.top, y), std::max<LONG>(picture.right, x + 1),
                     std::max<LONG>(picture.bottom, y + 1)};
    }
  }
  ASSERT_GT(picture.right, 0) << "the picture shows";
  EXPECT_NEAR(picture.right - picture.left, picture.bottom - picture.top, 1) << "no label covers part of the picture";
  RECT labels[2]{};
  for (int i = 0; i < 2; ++i) {
    HWND label = ::GetDlgItem(wait, i == 0 ? ids::Label2 : ids::lblPro);
    ASSERT_TRUE(label);
    ::GetWindowRect(label, &labels[i]);
    ::MapWindowPoints(nullptr, wait, reinterpret_cast<POINT*>(&labels[i]), 2);
    EXPECT_GT(labels[i].left, picture.right) << "label " << i << " starts right of the picture";
    EXPECT_LE(labels[i].right, w) << "label " << i;
  }
  EXPECT_LE(labels[0].bottom, labels[1].top) << "the two labels are apart";
}

// The first dark pixel column of each line of text a label shows, lines being
// runs of rows with dark pixels.
std::vector<int> TextLineStarts(HWND label) {
  RECT r{};
  ::GetWindowRect(label, &r);
  const std::vector<std::uint32_t> px = CaptureScreen(r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<int> starts;
  bool inLine = false;
  for (int y = 0; y < h; ++y) {
    int first = -1;
    for (int x = 0; x < w && first < 0; ++x) {
      const std::uint32_t c = px[static_cast<std::size_t>(y) * w + x];
      const int light = (((c >> 16) & 255) * 299 + ((c >> 8) & 255) * 587 + (c & 255) * 114) / 1000;
      if (light < 100) first = x;  // text; not the frame's grey edge
    }
    if (first < 0) {
      inLine = false;
    } else if (!inLine) {
      inLine = true;
      starts.push_back(first);
    } else {
      starts.back() = std::min(starts.back(), first);
    }
  }
  return starts;
}

class HighDpiTest : public VdTest {};

TEST_F(HighDpiTest, WindowsMenusAndDialogsScaleWithNothingCutOffAndTheWallpaperFillsTheScreen) {
  FixedStyle(2);
  const std::string folder = Temp() / "pictures";
  MakeFolder(folder);
  ASSERT_TRUE(MakeSolidPicture(folder + "\\teal.bmp", 300, 200, "bmp", 0x108080));
  const std::string bitmapPath = Temp().Path() + "\\Vexa Desktop.bmp";
  int menuHeightAt96 = 0;
  for (UINT dpi : {96u, 144u, 192u}) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    KillStrayPrograms();
    DpiSetting setting(dpi);
    ::DeleteFileA(DefaultListPath().c_str());
    Process vd = StartVd("-n " + folder, false);  // lists the picture and opens the main window

    // The progress form, while it shows at start.
    HWND wait = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(wait = FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle)); }, 10000, 5));
    ::Sleep(100);  // painted
    ExpectProgressFormLabelsClearOfItsPicture(wait);
    ASSERT_TRUE(WaitReady(vd));
    HWND main = MainWindow(vd);
    ASSERT_TRUE(IsVisible(main));

    // The skinned window at the DPI's size, its outline cut to the whole of it.
    RECT win{};
    ::GetWindowRect(main, &win);
    const int w = win.right - win.left, h = win.bottom - win.top;
    EXPECT_EQ(w, ::MulDiv(440, static_cast<int>(dpi), 96));
    EXPECT_EQ(h, ::MulDiv(262, static_cast<int>(dpi), 96));
    HRGN outline = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetWindowRgn(main, outline), ERROR);
    RECT box{};
    ::GetRgnBox(outline, &box);
    EXPECT_EQ(box.right - box.left, w);
    EXPECT_EQ(box.bottom - box.top, h);
    EXPECT_FALSE(::PtInRegion(outline, 1, 1)) << "rounded corners";
    EXPECT_TRUE(::PtInRegion(outline, w / 2, 0));
    EXPECT_TRUE(::PtInRegion(outline, w - 1, h / 2));
    ::DeleteObject(outline);
    // Every control lies inside the window's outline.
    for (HWND c = ::GetWindow(main, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      if (!::IsWindowVisible(c)) continue;
      RECT r{};
      ::GetWindowRect(c, &r);
      EXPECT_TRUE(r.left >= win.left && r.top >= win.top && r.right <= win.right && r.bottom <= win.bottom)
          << "control " << ::GetDlgCtrlID(c) << " sticks out";
    }

    // The wallpaper is the physical screen's size and filled to its edges.
    ::DeleteFileA(bitmapPath.c_str());
    DoubleClickListItem(::GetDlgItem(main, ids::imgList), 0);
    std::optional<Bitmap> bmp;
    ASSERT_TRUE(WaitUntil([&] { return (bmp = ReadBmp(bitmapPath)).has_value(); }, 10000, 50));
    EXPECT_EQ(bmp->width, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(bmp->height, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_LE(ColourDistance(bmp->At(bmp->width - 1, bmp->height - 1), 0x108080), 8);
    WaitUntil([&] { return !FindProcessWindow(vd.Pid(), kFormClass, kWaitTitle); }, 5000);

    // The tray menu grows with the DPI.
    PostTrayMessage(main, WM_RBUTTONDOWN);
    PostTrayMessage(main, WM_RBUTTONUP);
    HWND menu = WaitForPopupMenu();
    ASSERT_TRUE(menu);
    RECT m{};
    ::GetWindowRect(menu, &m);
    if (dpi == 96)
      menuHeightAt96 = m.bottom - m.top;
    else
      EXPECT_GE((m.bottom - m.top) * 96 * 10, menuHeightAt96 * static_cast<int>(dpi) * 9) << "menu height";
    MenuKeys(menu, {VK_ESCAPE});
    ASSERT_TRUE(WaitNoPopupMenu());

    // The dialogs: scaled client areas, every caption whole.
    ::PostMessageA(main, WM_COMMAND, ids::mnuSettings, 0);
    HWND settings = ShownWindow(vd, kSettingsTitle);
    ASSERT_TRUE(settings);
    RECT client{};
    ::GetClientRect(settings, &client);
    EXPECT_EQ(client.right, ::MulDiv(452, static_cast<int>(dpi), 96));
    EXPECT_EQ(client.bottom, ::MulDiv(364, static_cast<int>(dpi), 96));
    ExpectEveryCaptionFits(settings, dpi, false);
    // The hot-key tip reads as two lines, both starting at the left edge.
    std::vector<int> tipLines;
    WaitUntil([&] { return (tipLines = TextLineStarts(::GetDlgItem(settings, ids::lblPBase + 2))).size() == 2; }, 3000);
    ASSERT_EQ(tipLines.size(), 2u) << "lines of the tip";
    EXPECT_LE(std::abs(tipLines[1] - tipLines[0]), static_cast<int>(dpi) / 32) << "the second line is not indented";
    PressButton(settings, ids::cmdCancel);
    ASSERT_TRUE(WaitDialogGone(settings));

    ::PostMessageA(main, WM_COMMAND, ids::mnuAbout, 0);
    HWND about = ShownWindow(vd, kAboutTitle);
    ASSERT_TRUE(about);
    ExpectEveryCaptionFits(about, dpi, true);
    ::PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitDialogGone(about));
  }
}

}  // namespace
}  // namespace e2e
