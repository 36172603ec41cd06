#include "main/frm_wait.h"

#include "app/app_state.h"
#include "base/required.h"
#include "main/control_ids.h"
#include "main/frm_main.h"
#include "main/vd_forms.h"

namespace {
constexpr int kWidth = 300;
constexpr int kHeight = 96;
constexpr COLORREF kPanel = RGB(250, 250, 252);
constexpr COLORREF kAccent = RGB(46, 104, 170);
// Posted by the first showing: the start goes on from the message loop once
// the form is on the screen.
constexpr UINT kContinueStartMessage = WM_APP + 0x57;
}  // namespace

void FrmWait::ContinueStart() {
  // Let the queue run dry once: only then does the splash reach the screen.
  forms::DoEvents();
  // A second copy ends here, before its main window exists, so a relay
  // looking for the running copy's window can never meet this one.
  if (state_.previousInstance) EndProgram();
  base::Required(main_, "the splash's main window").Load();
}

bool FrmWait::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg != kContinueStartMessage) return false;
  ContinueStart();
  result = 0;
  return true;
}

forms::Form::WindowDesign FrmWait::Design() const {
  WindowDesign s;
  s.caption = "Please wait";
  s.style = WS_POPUP | WS_BORDER;
  s.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  s.width = kWidth;
  s.height = kHeight;
  s.x = (::GetSystemMetrics(SM_CXSCREEN) - forms::Scale(kWidth)) / 2;  // the window's own DPI is not known yet
  s.y = (::GetSystemMetrics(SM_CYSCREEN) - forms::Scale(kHeight)) / 2;
  return s;
}

void FrmWait::CreateControls() {
  SetBackColor(kPanel);
  Label2.Create(*this, ids::Label2, "Please wait", 64, 18, 220, 22);
  Label2.SetColors(kAccent, std::nullopt);
  lblPro.Create(*this, ids::lblPro, "", 64, 48, 226, 20);
}

void FrmWait::Form_Load() {
  AppState& a = state_;
  lblPro.SetText(a.waitShownBefore ? "Changing Wallpaper..." : "Starting Application...");
  if (!a.waitShownBefore) ::PostMessageA(Handle(), kContinueStartMessage, 0, 0);
  a.waitShownBefore = true;
}

void FrmWait::ShowAndPaint() {
  ShowNoActivate();
  Refresh();
}

void FrmWait::SetStatus(const std::string& text) {
  lblPro.SetText(text);
  if (Handle()) ::UpdateWindow(lblPro.Handle());
}

void FrmWait::OnPaint(HDC dc, const RECT&) {
  // A small picture-like mark on the left: a framed landscape in the accent
  // colour. Each edge is scaled on its own, as the labels beside it are: a
  // rounded factor (2 for 1.5) would push the mark under them.
  RECT frame{Scale(16), Scale(20), Scale(52), Scale(56)};
  HBRUSH accent = ::CreateSolidBrush(kAccent);
  ::FillRect(dc, &frame, accent);
  RECT sky{Scale(19), Scale(23), Scale(49), Scale(41)};
  HBRUSH light = ::CreateSolidBrush(RGB(170, 205, 240));
  ::FillRect(dc, &sky, light);
  RECT ground{Scale(19), Scale(41), Scale(49), Scale(53)};
  HBRUSH green = ::CreateSolidBrush(RGB(90, 150, 80));
  ::FillRect(dc, &ground, green);
  ::DeleteObject(accent);
  ::DeleteObject(light);
  ::DeleteObject(green);
}
