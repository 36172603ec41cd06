// The main window's two drop-down lists: the cycle time under lblTime and
// the style under lblStyle, opened, browsed, picked from and closed.
#include <windows.h>

#include "app/app_parts.h"
#include "base/handles.h"
#include "desktop/tray_icon.h"
#include "main/frm_main.h"
#include "main/frm_menus.h"
#include "main/vd_forms.h"

void FrmMain::HideDropDown(forms::ListBox& list) {
  const bool focused = ::GetFocus() == list.Handle() && list.Handle();
  list.SetVisible(false);
  // Hiding does not move the focus by itself; moving it runs the list's LostFocus.
  if (focused) imgList.SetFocus();
}

void FrmMain::lblTime_MouseUp(const forms::MouseArgs& m) {
  if (m.button != forms::kLeftButton) return;
  AppState& a = parts_.state;
  if (a.settings.cyclingEnabled != 0) {
    lstTime.SetVisible(true);
    lstTime.BringToFront();
    lstTime.SetFocus();
    return;
  }
  if (forms::MsgBox("Do you want to enable Vexa Desktop?", MB_YESNO | MB_ICONQUESTION, "Enable", Handle()) != IDYES)
    return;
  a.settings.cyclingEnabled = 1;
  parts_.state.WriteProgramValue("Enabled VD", "1");
  int i = lstTime.ListIndex();
  lblTime.SetText(i >= 0 ? lstTime.List(i) : std::string());
  Menus().ShowEnabled(true);
  tray_.Update(true);
  Timer1.SetEnabled(true);
  a.cycleSeconds = 0;
  lstTime.SetVisible(true);
  lstTime.BringToFront();
  lstTime.SetFocus();
}

void FrmMain::lstTime_Click() {
  HideDropDown(lstTime);
  int i = lstTime.ListIndex();
  lblTime.SetText(parts_.state.settings.cyclingEnabled != 0 && i >= 0 ? lstTime.List(i) : std::string("Disabled"));
  parts_.state.WriteProgramValue("Wallpaper Cycle Time", std::to_string(i));
}

void FrmMain::lblStyle_MouseUp(const forms::MouseArgs& m) {
  if (m.button != forms::kLeftButton) return;
  ShowChosenStyleInList();
  lstStyle.SetVisible(true);
  lstStyle.BringToFront();
  lstStyle.SetFocus();
}

void FrmMain::ShowChosenStyleInList() {
  if (lstStyle.Handle())
    ::SendMessageA(lstStyle.Handle(), LB_SETCURSEL, static_cast<WPARAM>(parts_.state.list.Style()), 0);
}

void FrmMain::lstStyle_SelectionMoved() {
  if (!styleSetByProgram_) return;  // the user browsing the open list
  HideDropDown(lstStyle);
  const int i = lstStyle.ListIndex();
  lblStyle.SetText(i >= 0 ? lstStyle.List(i) : std::string());
}

void FrmMain::lstStyle_MouseUp(const forms::MouseArgs& m) {
  if (m.button != forms::kLeftButton || !lstStyle.Visible()) return;
  const LRESULT hit = ::SendMessageA(lstStyle.Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(m.x, m.y));
  if (HIWORD(hit)) return;  // released outside the entries
  ::SendMessageA(lstStyle.Handle(), LB_SETCURSEL, LOWORD(hit), 0);
  lstStyle_Click();
}

bool FrmMain::lstStyle_KeyDown(int key, int shift) {
  if (shift != 0) return false;
  if (key == VK_RETURN) {
    lstStyle_Click();
    return true;
  }
  if (key == VK_ESCAPE) {
    HideDropDown(lstStyle);
    return true;
  }
  return false;
}

void FrmMain::lstStyle_Click() {
  const int i = lstStyle.ListIndex();
  if (i < 0) return;
  // The model first: closing the list afterwards puts back the style it holds.
  parts_.state.list.SetStyle(i);
  parts_.state.list.SetManualStyle(true);
  lblStyle.SetText(lstStyle.List(i));
  HideDropDown(lstStyle);
  parts_.change.RequestPreview(false);
}

void FrmMain::lstStyle_LostFocus() {
  // Closing the list without a pick changes nothing; it opens on the chosen style next time.
  lstStyle.SetVisible(false);
  ShowChosenStyleInList();
}

void FrmMain::CloseStyleList() {
  base::ScopedFlag byProgram(styleSetByProgram_);
  HideDropDown(lstStyle);
}
