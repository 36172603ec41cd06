#include "main/frm_main.h"

#include <windows.h>

#include "engine/command_text.h"
#include "engine/cycle_timer.h"
#include "engine/paths.h"
#include "main/app.h"
#include "main/control_ids.h"
#include "main/frm_wait.h"
#include "main/list_store.h"
#include "main/startup.h"

namespace {
const char* const kStyleTexts[] = {"Centered", "Tiled", "Stretched"};
constexpr COLORREF kPanelColor = RGB(236, 240, 245);
constexpr COLORREF kLinkColor = RGB(30, 90, 170);
}  // namespace

FrmMain::FrmMain() {
  Text1.Change = [this] { Text1_Change(); };
  Timer1.Tick = [this] { Timer1_Timer(); };
  lblTime.MouseUp = [this](const forms::MouseArgs& m) { lblTime_MouseUp(m); };
  lstTime.Click = [this] { lstTime_Click(); };
  lstTime.LostFocus = [this] { lstTime.SetVisible(false); };
  lblStyle.MouseUp = [this](const forms::MouseArgs& m) { lblStyle_MouseUp(m); };
  lstStyle.Click = [this] { lstStyle_Click(); };
  lstStyle.LostFocus = [this] { lstStyle_LostFocus(); };
}

forms::Form::WindowSpec FrmMain::Spec() const {
  WindowSpec s;
  s.caption = forms::kProgramTitle;
  s.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  s.width = 440;
  s.height = 300;
  return s;
}

void FrmMain::CreateControls() {
  SetBackColor(kPanelColor);
  Text1.Create(*this, ids::Text1, "Text1", 0, 0, 10, 10, false);
  lblP0.Create(*this, ids::lblP0, "CycleTime:", 12, 12, 64, 18);
  lblTime.Create(*this, ids::lblTime, "", 80, 12, 110, 18);
  lblTime.SetColors(kLinkColor, std::nullopt);
  lblP1.Create(*this, ids::lblP1, "Style :", 230, 12, 44, 18);
  lblStyle.Create(*this, ids::lblStyle, "Stretched", 276, 12, 110, 18);
  lblStyle.SetColors(kLinkColor, std::nullopt);
  imgList.Create(*this, ids::imgList, 12, 40, 200, 210);
  lstTime.Create(*this, ids::lstTime, 80, 30, 110, 96, false);
  for (const char* t : vd::kCycleTimeTexts) lstTime.AddItem(t);
  lstStyle.Create(*this, ids::lstStyle, 276, 30, 110, 56, false);
  for (const char* t : kStyleTexts) lstStyle.AddItem(t);
  Timer1.Attach(*this, ids::frmMainTimer1, 10000);
}

void FrmMain::AppendEntry(const vd::ListEntry& e) {
  entries.push_back(e);
  imgList.AddItem(e.name);
}

void FrmMain::RemoveEntry(int index) {
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  entries.erase(entries.begin() + index);
  imgList.RemoveItem(index);
}

void FrmMain::ClearEntries() {
  entries.clear();
  imgList.Clear();
}

void FrmMain::Form_Load() {
  AppState& a = app();
  if (a.previousInstance) EndProgram();
  Hide();
  InitSettings();
  frmWait().SetStatus("Loading windows...");
  forms::DoEvents();
  ::Sleep(300);
  Hide();
  lstStyle.SetVisible(false);
  lstTime.SetVisible(false);
  HandleCommandLine();
  frmWait().Unload();
  setHandCursors();
}

void FrmMain::HandleCommandLine() {
  AppState& a = app();
  const vd::CommandText cmd = vd::SplitCommandText(a.commandLine);
  const std::string arg = vd::GetLongPath(a.fs, cmd.argument);
  FrmWait& w = frmWait();
  if (cmd.option == "-d") {
    a.paths.appFolder = vd::WithTrailingBackslash(arg);
    WriteProgramValue("InstalledDir", a.paths.appFolder);  // keep the record in step with the folder in use
    w.SetStatus("Loading wallpapers list...");
    forms::DoEvents();
    ::Sleep(100);
    LoadList(std::string(), true);
  } else if (cmd.option == "-l") {
    w.SetStatus("Loading wallpapers list...");
    forms::DoEvents();
    ::Sleep(500);
    LoadList(arg, true);
  } else if (cmd.option == "-i") {
    LoadList(std::string(), true);
    if (vd::NormalFileExists(a.fs, arg)) {
      AppendEntry(vd::SplitEntry(arg));
      SaveList(a.paths.defaultListPath);
    }
  } else if (cmd.option.empty()) {
    w.SetStatus("Loading wallpapers list...");
    forms::DoEvents();
    LoadList(std::string(), true);
  }
}

void FrmMain::setHandCursors() {
  HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
  lblStyle.SetCursor(hand);
  lblTime.SetCursor(hand);
}

void FrmMain::Form_Unload() {}

bool FrmMain::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_CLOSE) {
    // Closing the window only puts it away; the program keeps running.
    app().mainWindowOpen = false;
    Hide();
    result = 0;
    return true;
  }
  return false;
}

void FrmMain::Text1_Change() {
  AppState& a = app();
  const std::string text = Text1.Text();
  const vd::CommandText cmd = vd::SplitCommandText(text);
  if (cmd.option == "-l") {
    if (vd::NormalFileExists(a.fs, cmd.argument)) LoadList(cmd.argument, true);
  } else if (cmd.option == "-i") {
    if (vd::NormalFileExists(a.fs, cmd.argument)) {
      AppendEntry(vd::SplitEntry(cmd.argument));
      SaveList(a.paths.defaultListPath);
    }
  }
}

void FrmMain::Timer1_Timer() {
  // Filled in with the wallpaper change.
  vd::CycleTick(app().cycleSeconds, lstTime.ListIndex());
}

void FrmMain::lblTime_MouseUp(const forms::MouseArgs& m) {
  if (m.button != forms::kLeftButton) return;
  AppState& a = app();
  if (a.settings.cyclingEnabled != 0) {
    lstTime.SetVisible(true);
    lstTime.BringToFront();
    lstTime.SetFocus();
    return;
  }
  if (forms::MsgBox("Do you want to enable Vexa Desktop?", MB_YESNO | MB_ICONQUESTION, "Enable", Handle()) != IDYES)
    return;
  a.settings.cyclingEnabled = 1;
  WriteProgramValue("Enabled VD", "1");
  int i = lstTime.ListIndex();
  lblTime.SetText(i >= 0 ? lstTime.List(i) : std::string());
  Timer1.SetEnabled(true);
  a.cycleSeconds = 0;
  lstTime.SetVisible(true);
  lstTime.BringToFront();
  lstTime.SetFocus();
}

void FrmMain::lstTime_Click() {
  lstTime.SetVisible(false);
  int i = lstTime.ListIndex();
  lblTime.SetText(app().settings.cyclingEnabled != 0 && i >= 0 ? lstTime.List(i) : std::string("Disabled"));
  WriteProgramValue("Wallpaper Cycle Time", std::to_string(i));
}

void FrmMain::lblStyle_MouseUp(const forms::MouseArgs& m) {
  if (m.button != forms::kLeftButton) return;
  lstStyle.SetVisible(true);
  lstStyle.BringToFront();
  lstStyle.SetFocus();
}

void FrmMain::lstStyle_Click() {
  lstStyle.SetVisible(false);
  int i = lstStyle.ListIndex();
  lblStyle.SetText(i >= 0 ? lstStyle.List(i) : std::string());
}

void FrmMain::lstStyle_LostFocus() {
  lstStyle.SetVisible(false);
  app().manualStyle = true;
}
