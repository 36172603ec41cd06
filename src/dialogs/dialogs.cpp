#include "dialogs/dialogs.h"

#include <utility>

#include "base/required.h"
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

namespace {
// The settings dialog's way back to the main program's windows.
DialogHooks hooks;
bool hooksBound = false;
}  // namespace

void BindDialogHooks(DialogHooks h) {
  base::Required(h.reopenMainWindow && h.checkSortMenus ? &h : nullptr, "every dialog hook");
  hooks = std::move(h);
  hooksBound = true;
}

const DialogHooks& dialogHooks() { return base::Required(hooksBound ? &hooks : nullptr, "the dialogs' hooks"); }
