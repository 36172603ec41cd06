#include "main/vd_forms.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/ui_port.h"
#include "desktop/desktop_icons.h"
#include "forms/forms.h"
#include "main/frm_main.h"
#include "main/frm_wait.h"

FrmWait& frmWait() {
  static FrmWait form;
  return form;
}

FrmMain& frmMain() {
  static FrmMain form;
  return form;
}

namespace {

class FormsUi : public vdapp::UiPort {
 public:
  void ShowProgress(const std::string& status) override {
    FrmWait& w = frmWait();
    if (!w.Loaded()) w.Load();  // its own text first, then ours, before it shows
    if (!status.empty()) w.SetStatus(status);
    w.ShowAndPaint();
  }
  void CloseProgress() override { frmWait().Unload(); }
  void LetMessagesRun() override { forms::DoEvents(); }
  int Message(const std::string& text, unsigned flags, const std::string& title) override {
    FrmMain& m = frmMain();
    return forms::MsgBox(text, flags, title, m.Visible() ? m.Handle() : nullptr);
  }
  void PreviewSize(int& width, int& height) override { frmMain().PreviewPixelSize(width, height); }
  void ShowPreview(vd::Image preview) override { frmMain().SetPreview(std::move(preview)); }
  void CloseStyleList() override { frmMain().CloseStyleList(); }
  void WallpaperShown() override {
    if (app().settings.transparentIcons != 0) ApplyIconTextColours();
    ShowHideDesktopIcons();
  }
  void ShowMainWindow() override { frmMain().Show(); }
  void PostListNotSavedNotice() override { frmMain().PostNotice(FrmMain::Notice::ListNotSaved); }
  void PostNotice(const std::string& text, const std::string& title) override { frmMain().PostNotice(text, title); }
};

}  // namespace

void ConnectModelToForms() {
  static FormsUi ui;
  vdapp::SetUi(ui);
}
