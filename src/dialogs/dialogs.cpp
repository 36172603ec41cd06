#include "dialogs/dialogs.h"

#include "dialogs/frm_about.h"
#include "dialogs/frm_settings.h"

bool ShowSettingsDialog(FrmSettings& s) {
  // Already open: it comes to the front; there is only ever one.
  s.Show();
  s.Refresh();
  return s.Visible();
}

bool ShowAboutBox(FrmAbout& a) {
  a.Show();
  return a.Visible();
}
