#include "dialogs/dialogs.h"

#include "dialogs/frm_about.h"
#include "dialogs/frm_settings.h"

bool ShowSettingsDialog() {
  // Already open: it comes to the front; there is only ever one.
  FrmSettings& s = frmSettings();
  s.Show();
  s.Refresh();
  return s.Visible();
}

bool ShowAboutBox() {
  FrmAbout& a = frmAbout();
  a.Show();
  return a.Visible();
}

DialogHooks& dialogHooks() {
  static DialogHooks hooks;
  return hooks;
}
