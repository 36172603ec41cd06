// At 150 % and 200 %: VD's windows are laid out at the screen's DPI with no
// text cut off, and the wallpaper still fills the physical screen.
#include <algorithm>

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
    Process vd = StartVd("-n " + folder);  // lists the picture and opens the main window
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
    EXPECT_EQ(client.bottom, ::MulDiv(262, static_cast<int>(dpi), 96));
    ExpectEveryCaptionFits(settings, dpi, false);
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
