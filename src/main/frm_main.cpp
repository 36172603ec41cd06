#include "main/frm_main.h"

#include <windows.h>

#include "app/app_parts.h"
#include "base/handles.h"
#include "desktop/desktop_icons.h"
#include "desktop/tray_icon.h"
#include "dialogs/dialogs.h"
#include "engine/command_text.h"
#include "engine/cycle_timer.h"
#include "engine/file_dialog_names.h"
#include "engine/folder_walk.h"
#include "engine/paths.h"
#include "engine/skin_region.h"
#include "engine/tray_message.h"
#include "main/control_ids.h"
#include "main/frm_main_skin.h"
#include "main/frm_menus.h"
#include "main/frm_wait.h"
#include "main/skin_form.h"
#include "main/startup.h"
#include "platform/drop.h"

namespace {
constexpr COLORREF kLinkColor = RGB(30, 90, 170);
constexpr int kPreviewWidth = 200, kPreviewHeight = 150;
// Longest text the command channel takes: a command line holds at most
// 32767 UTF-16 characters, at most three bytes each in UTF-8. Anything
// longer is no command and is refused before the edit control copies it.
constexpr std::size_t kMaxCommandTextBytes = 3 * 32767;
constexpr UINT kNoticeMessage = WM_APP + 0x4E;
constexpr UINT kRunCommandsMessage = WM_APP + 0x4F;
const char* const kButtonTips[] = {"Add Images to the current list", "Remove Images", "Save/Load wallpapers' List",
                                   "About Vexa Desktop", "Settings"};

int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }
}  // namespace

FrmMain::FrmMain(vdapp::AppParts& parts, FrmWait& wait, FrmMenus& menus, TrayIcon& tray, HotKey& hotKey,
                 FrmSettings& settingsDialog, FrmAbout& aboutBox)
    : parts_(parts),
      wait_(wait),
      menus_(menus),
      tray_(tray),
      hotKey_(hotKey),
      settingsDialog_(settingsDialog),
      aboutBox_(aboutBox) {
  Text1.Change = [this] { Text1_Change(); };
  Timer1.Tick = [this] { Timer1_Timer(); };
  lblTime.MouseUp = [this](const forms::MouseArgs& m) { lblTime_MouseUp(m); };
  lstTime.Click = [this] { lstTime_Click(); };
  lstTime.LostFocus = [this] { lstTime.SetVisible(false); };
  lblStyle.MouseUp = [this](const forms::MouseArgs& m) { lblStyle_MouseUp(m); };
  // Moving through the open list (arrow keys, a press being dragged) picks
  // nothing; a click on an entry or Enter does.
  lstStyle.Click = [this] { lstStyle_SelectionMoved(); };
  lstStyle.MouseUp = [this](const forms::MouseArgs& m) { lstStyle_MouseUp(m); };
  lstStyle.KeyDown = [this](int key, int shift) { return lstStyle_KeyDown(key, shift); };
  lstStyle.LostFocus = [this] { lstStyle_LostFocus(); };
  imgList.Click = [this] { imgList_Click(); };
  imgList.DblClick = [this] { imgList_DblClick(); };
  imgList.MouseMove = [this](const forms::MouseArgs& m) { imgList_MouseMove(m); };
  imgPreview.Paint = [this](HDC dc, const RECT& rc) { PaintPreview(dc, rc); };
  for (int i = 0; i < 5; ++i) {
    Buttons[i].Paint = [this, i](HDC dc, const RECT& rc) { PaintButton(i, dc, rc); };
    Buttons[i].MouseMove = [this, i](const forms::MouseArgs&) { Buttons_MouseMove(i); };
  }
  for (int i = 0; i < 5; ++i) Buttons[i].Click = [this, i] { Buttons_Click(i); };
  imgMin.Paint = [this](HDC dc, const RECT& rc) { PaintCtrl(hoveredCtrl_ == 1 ? 1 : 0, dc, rc); };
  imgClose.Paint = [this](HDC dc, const RECT& rc) { PaintCtrl(hoveredCtrl_ == 3 ? 3 : 2, dc, rc); };
  imgMin.MouseMove = [this](const forms::MouseArgs&) { imgMin_MouseMove(); };
  imgClose.MouseMove = [this](const forms::MouseArgs&) { imgClose_MouseMove(); };
  imgMin.Click = [this] { imgMin_Click(); };
  imgClose.Click = [this] { imgClose_Click(); };
  SysTrayPic.MouseMove = [this](const forms::MouseArgs& m) { SysTrayPic_MouseMove(m); };
  imgList.MouseDown = [this](const forms::MouseArgs& m) { imgList_MouseDown(m); };
  imgList.KeyDown = [this](int key, int shift) { return imgList_KeyDown(key, shift); };
  imgList.MenuKey = [this] { ShowImageMenu(true); };
  MouseMove = [this](const forms::MouseArgs& m) { Form_MouseMove(m); };
  repaintTimer_.Tick = [this] {
    // Once soon after the announcement, and once more a second later for a
    // desktop that was slow to repaint.
    repaintTimer_.SetEnabled(false);
    if (repaintsLeft_ > 0 && --repaintsLeft_ > 0) repaintTimer_.Start(1000);
    if (Visible()) ::RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  };
}

FrmMenus& FrmMain::Menus() {
  if (!menus_.Loaded()) menus_.Load();  // a hidden window, made when a menu is first needed
  return menus_;
}

FrmMain::~FrmMain() {
  // The model outlives this window: it must not show its list here any more.
  parts_.state.list.SetObserver(nullptr);
}

void FrmMain::ShowCycleState(bool enabled) {
  if (enabled) {
    const int i = lstTime.ListIndex();
    lblTime.SetText(i >= 0 ? lstTime.List(i) : std::string());
  } else {
    lblTime.SetText("Disabled");
  }
  Timer1.SetEnabled(enabled);
}

forms::Form::WindowDesign FrmMain::Design() const {
  WindowDesign s;
  s.caption = forms::kProgramTitle;
  // No frame of its own: the skin gives the window its outline.
  s.style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  s.width = kSkinWidth;
  s.height = kSkinHeight;
  s.x = (ScreenWidth() - forms::Scale(s.width)) / 2;
  s.y = (ScreenHeight() - forms::Scale(s.height)) / 3;
  return s;
}

void FrmMain::CreateControls() {
  parts_.state.list.SetObserver(this);
  SetBackColor(kPanelColor);
  Text1.Create(*this, ids::Text1, "Text1", 0, 0, 10, 10, false);
  Text1.SetMaxSetTextBytes(kMaxCommandTextBytes);
  lblP0.Create(*this, ids::lblP0, "CycleTime:", 12, 12, 64, 18);
  lblTime.Create(*this, ids::lblTime, "", 80, 12, 110, 18);
  lblTime.SetColors(kLinkColor, std::nullopt);
  lblP1.Create(*this, ids::lblP1, "Style :", 230, 12, 44, 18);
  lblStyle.Create(*this, ids::lblStyle, "Stretched", 276, 12, 110, 18);
  lblStyle.SetColors(kLinkColor, std::nullopt);
  imgList.Create(*this, ids::imgList, 12, 40, 200, 210);
  imgPreview.Create(*this, ids::imgPreview, 226, 40, kPreviewWidth, kPreviewHeight);
  for (int i = 0; i < 5; ++i) {
    Buttons[i].Create(*this, ids::ButtonsBase + i, 226 + i * 40, 214, 36, 36);
    SetToolTip(Buttons[i], kButtonTips[i]);
  }
  lstTime.Create(*this, ids::lstTime, 80, 30, 110, 96, false);
  for (const char* t : vd::kCycleTimeTexts) lstTime.AddItem(t);
  lstTime.FitHeightToItems();
  lstStyle.Create(*this, ids::lstStyle, 276, 30, 110, 56, false);
  for (int style = 0; style < vdapp::kStyleCount; ++style) lstStyle.AddItem(vdapp::StyleName(style));
  lstStyle.FitHeightToItems();
  imgMin.Create(*this, ids::imgMin, 394, 8, 18, 18);
  imgClose.Create(*this, ids::imgClose, 414, 8, 18, 18);
  SysTrayPic.Create(*this, ids::SysTrayPic, 0, 0, 1, 1);
  SysTrayPic.SetVisible(false);
  ::DragAcceptFiles(Handle(), TRUE);  // files and folders dropped from Explorer
  SetToolTip(lblTime, "Time to change wallpaper automatically");
  SetToolTip(imgList, "Doubleclick an image to set as wallpaper");
  Timer1.Attach(*this, ids::frmMainTimer1, 10000);
  repaintTimer_.Attach(*this, ids::frmMainRepaintTimer, 250);
}

void FrmMain::Form_Load() {
  if (parts_.state.previousInstance) EndProgram();
  // Start-up is the first command: what the channel brings meanwhile waits
  // until the list is loaded.
  parts_.state.commands.Submit({"Start-up", vdapp::CommandCore::Kind::Other, [this] { Startup(); }});
}

void FrmMain::Startup() {
  AppState& a = parts_.state;
  Hide();
  InitSettings({parts_, wait_, *this, Menus(), settingsDialog_, hotKey_});
  wait_.SetStatus("Loading windows...");
  forms::DoEvents();
  ::Sleep(300);
  {
    skin_ = DrawSkin(Dpi());
    std::int32_t key = 0;
    ApplySkinRegion(Handle(), skin_, key);
  }
  Hide();
  Form_MouseMove(forms::MouseArgs{});
  HandleCommandLine();
  wait_.Unload();
  setHandCursors();
  tray_.SetWindow(SysTrayPic.Handle());
  tray_.Add(a.settings.cyclingEnabled != 0);
  Menus().CheckSortMenus();
  if (a.settings.cyclingEnabled != 0) parts_.change.RequestChange();
}

void FrmMain::HandleCommandLine() {
  AppState& a = parts_.state;
  const vd::CommandText cmd = vd::SplitCommandText(a.commandLine);
  const std::string arg = vd::GetLongPath(a.fs, cmd.argument);
  FrmWait& w = wait_;
  if (cmd.option == "-d") {
    a.paths.appFolder = vd::WithTrailingBackslash(arg);
    parts_.state.WriteProgramValue("InstalledDir",
                                   a.paths.appFolder);  // keep the record in step with the folder in use
    w.SetStatus("Loading wallpapers list...");
    forms::DoEvents();
    ::Sleep(100);
    parts_.lists.LoadList(std::string(), true);
  } else if (cmd.option == "-l") {
    w.SetStatus("Loading wallpapers list...");
    forms::DoEvents();
    ::Sleep(500);
    parts_.lists.LoadList(arg, true);
  } else if (cmd.option == "-n") {
    w.SetStatus("Loading wallpapers list...");
    forms::DoEvents();
    parts_.lists.LoadList(std::string(), true);
    if (!arg.empty())
      parts_.lists.AddFolder(arg, true, vd::StripFilterStars(vd::PictureFolderFilter(vd::PictureExtensions())));
    parts_.lists.SaveList(std::string());
    parts_.state.mainWindowOpen = true;
    Show();
  } else if (cmd.option == "-i") {
    parts_.lists.LoadList(std::string(), true);
    if (parts_.lists.ListEntryFor(cmd.argument)) parts_.lists.AddPictures({cmd.argument});
  } else if (cmd.option.empty()) {
    w.SetStatus("Loading wallpapers list...");
    forms::DoEvents();
    parts_.lists.LoadList(std::string(), true);
  }
}

void FrmMain::setHandCursors() {
  HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
  lblStyle.SetCursor(hand);
  lblTime.SetCursor(hand);
  for (auto& b : Buttons) b.SetCursor(hand);
}

void FrmMain::Form_Unload() { tray_.Remove(); }

void FrmMain::PostNotice(Notice notice) {
  if (Handle()) ::PostMessageA(Handle(), kNoticeMessage, static_cast<WPARAM>(notice), 0);
}

void FrmMain::PostNotice(const std::string& text, const std::string& title) {
  if (!Handle()) return;
  noticeTexts_.emplace_back(text, title);
  if (!::PostMessageA(Handle(), kNoticeMessage, static_cast<WPARAM>(Notice::Text), 0)) noticeTexts_.pop_back();
}

bool FrmMain::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_ENDSESSION) {
    // The logon ends, or a setup program asks VD to make way for a new
    // version: relays already answered go into the list, the list file is
    // written out, and VD unloads and ends at once.
    if (wParam) {
      parts_.change.StopChanges();
      ShowDesktopIconsAtEnd(parts_.state.settings);
      Unload();
      EndProgram();
    }
    result = 0;
    return true;
  }
  if (msg == kRunCommandsMessage) {
    parts_.state.commands.RunWaiting();
    result = 0;
    return true;
  }
  if (msg == kNoticeMessage) {
    if (static_cast<Notice>(wParam) == Notice::ListNotSaved) {
      forms::MsgBox("The wallpaper list file\r\n" + parts_.state.paths.defaultListPath +
                        "\r\ncould not be read, so it is left as it is.\r\n\r\n"
                        "Changes to the list are kept while Vexa Desktop runs and are saved once the file can be "
                        "read again.",
                    MB_OK | MB_ICONEXCLAMATION, forms::kProgramTitle, Visible() ? Handle() : nullptr);
    } else if (static_cast<Notice>(wParam) == Notice::Text && !noticeTexts_.empty()) {
      const auto [text, title] = noticeTexts_.front();
      noticeTexts_.erase(noticeTexts_.begin());
      forms::MsgBox(text, MB_OK | MB_ICONINFORMATION, title, Visible() ? Handle() : nullptr);
    }
    result = 0;
    return true;
  }
  if (msg == WM_DROPFILES) {
    parts_.curate.AddDropped(platform::TakeDroppedPaths(reinterpret_cast<HDROP>(wParam)));
    result = 0;
    return true;
  }
  if (msg == TaskbarCreatedMessage()) {
    tray_.Add(parts_.state.settings.cyclingEnabled != 0);  // the shell restarted with an empty notification area
    return false;
  }
  switch (msg) {
    case WM_COMMAND:
      if (lParam == 0 && HIWORD(wParam) == 0 && Menus().DispatchCommand(LOWORD(wParam))) {
        result = 0;
        return true;
      }
      return false;
    case WM_ERASEBKGND:
      if (skin_.Empty()) return false;
      PaintSkin(reinterpret_cast<HDC>(wParam));
      result = 1;
      return true;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        Form_LostFocus();
      } else if (Visible()) {
        // Back from the settings dialog or the image editor: the desktop
        // repaints what the closing window uncovers, also where this window
        // is, once this window is already active. All of it is drawn anew
        // after that.
        RepaintAfterTheDesktop();
      }
      return false;
    case WM_EXITSIZEMOVE:
      // What the window covered during the move is stale until repainted.
      ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return false;
    default:
      break;
  }
  if (msg == WM_DISPLAYCHANGE || (msg == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA)) {
    // A monitor came, went or changed its size: the pictures are laid out again.
    parts_.change.RequestRecompose();
    return false;
  }
  if (msg == WM_SETTINGCHANGE && Visible()) {
    // A new wallpaper was announced. The desktop repaints once the
    // announcement is over, and may draw over this window.
    RepaintAfterTheDesktop();
    return false;
  }
  if (msg == WM_CLOSE) {
    // Closing the window only puts it away; the program keeps running.
    parts_.state.mainWindowOpen = false;
    Hide();
    result = 0;
    return true;
  }
  return false;
}

void FrmMain::RepaintAfterTheDesktop() {
  // All of the window, frame included, a moment later (restarted by each call).
  repaintsLeft_ = 2;
  repaintTimer_.Start(250);
}

void FrmMain::Text1_Change() {
  // The sender is answered at once; the command runs once this message is
  // over, or, should this post be lost, at the command watch's next second.
  parts_.lists.QueueRelayedCommand(Text1.Text());
  ::PostMessageA(Handle(), kRunCommandsMessage, 0, 0);
}

void FrmMain::Timer1_Timer() {
  const vd::TickOutcome tick = vd::CycleTick(parts_.state.cycleSeconds, lstTime.ListIndex());
  if (tick.changeWallpaper) {
    parts_.change.RequestChange();
  } else if (parts_.state.settings.transparentIcons != 0) {
    ApplyIconTextColours(parts_.state.settings,
                         parts_.background.Shell());  // the shell may have redrawn the captions opaque
  }
}

void FrmMain::PreviewPixelSize(int& width, int& height) const {
  width = Scale(kPreviewWidth) - 2;
  height = Scale(kPreviewHeight) - 2;
}

void FrmMain::SetPreview(vd::Image preview) {
  preview_ = std::move(preview);
  imgPreview.Invalidate();
}


void FrmMain::Form_MouseMove(const forms::MouseArgs& m) {
  // The system repeats the last position when windows change under a still
  // mouse (a message box closing); only real movement counts.
  if (m.button == forms::kNoButton && m.x == lastMouseX_ && m.y == lastMouseY_) return;
  lastMouseX_ = m.x;
  lastMouseY_ = m.y;
  // Dragging the bare window moves it, as if its caption had been grabbed.
  if (m.button == forms::kLeftButton) DragWindow(Handle());
  ResetHoverPictures(true);
}

// Another window becomes active: focus moves nowhere here; the forms layer
// gives it back to the control that had it when this window is active again.
void FrmMain::Form_LostFocus() { ResetHoverPictures(false); }

void FrmMain::imgMin_Click() { Minimize(); }

void FrmMain::imgClose_Click() {
  // Put away in the notification area; the program goes on running.
  parts_.state.mainWindowOpen = false;
  Hide();
}

void FrmMain::SysTrayPic_MouseMove(const forms::MouseArgs& m) {
  switch (vd::DecodeTrayMessage(static_cast<std::uint16_t>(m.x))) {
    case vd::TrayAction::OpenMainWindow:
      parts_.state.mainWindowOpen = true;
      Show();
      Refresh();
      break;
    case vd::TrayAction::PopupMenu: {
      // While a change is under way another would join it; the
      // enable/disable entry is the default then.
      Menus().PopupTrayMenu(parts_.change.ChangeUnderWay(), parts_.change.PreviousAvailable());
      break;
    }
    case vd::TrayAction::None:
      break;
  }
}

void FrmMain::Buttons_Click(int Index) {
  FrmMenus& f = Menus();
  switch (Index) {
    case 0:
      f.PopupAddMenu();
      break;
    case 1: {
      const int i = SelectedIndex();
      f.PopupRemoveMenu(i >= 0 ? imgList.List(i) : std::string());
      break;
    }
    case 2:
      f.PopupListMenu();
      break;
    case 3:
      ShowAboutBox(aboutBox_);
      break;
    case 4:
      if (ShowSettingsDialog(settingsDialog_)) Hide();
      break;
    default:
      break;
  }
}

void FrmMain::imgList_MouseDown(const forms::MouseArgs& m) {
  // A right click does not move the selection: the menu acts on the entry
  // selected before.
  if (m.button == forms::kRightButton) ShowImageMenu(false);
}

void FrmMain::ShowImageMenu(bool atEntry) {
  const int i = SelectedIndex();
  if (i < 0) return;
  RECT entry{};
  if (!atEntry || ::SendMessageA(imgList.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&entry)) == LB_ERR) {
    Menus().PopupImageMenu(imgList.List(i));
    return;
  }
  // From the keyboard: below the entry, which stays in sight.
  ::MapWindowPoints(imgList.Handle(), nullptr, reinterpret_cast<POINT*>(&entry), 2);
  Menus().PopupImageMenu(imgList.List(i), &entry);
}

bool FrmMain::imgList_KeyDown(int key, int shift) {
  if (shift != 0 || SelectedIndex() < 0) return false;
  // The keyboard's double-click (the image menu's first entry) and the image menu's Remove.
  if (key == VK_RETURN) return Menus().SetSelectedAsWallpaper();
  if (key == VK_DELETE) return Menus().RemoveSelected();
  return false;
}

void FrmMain::imgList_Click() {
  parts_.state.list.SelectedInView(imgList.ListIndex());
  parts_.change.RequestPreview(true);
}

void FrmMain::imgList_DblClick() {
  // A picture refused as too large or damaged says why instead of applying
  // another (once: the click before it may have said so already).
  const int pressed = imgList.PressedIndex();
  if (pressed >= 0 && pressed < parts_.state.list.Count() && pressed != parts_.state.list.Selected())
    parts_.state.list.SelectedInView(pressed);
  parts_.change.RequestApplySelected();
}

void FrmMain::imgList_MouseMove(const forms::MouseArgs& m) {
  if (m.button & (forms::kLeftButton | forms::kRightButton)) return;
  LRESULT hit = ::SendMessageA(imgList.Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(m.x, m.y));
  int i = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
  if (i == tipIndex_) return;
  tipIndex_ = i;
  if (!parts_.state.list.Has(i))
    SetToolTip(imgList, std::string());  // over no entry: no tip
  else
    SetToolTip(imgList, " Location: " + parts_.state.list.At(i).FullPath() + " ");
}
