#include "main/vd_forms.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/background.h"
#include "desktop/desktop_icons.h"
#include "dialogs/frm_settings.h"
#include "forms/forms.h"
#include "main/frm_main.h"
#include "main/frm_wait.h"

void FormsUi::ShowProgress(const std::string& status) {
  if (!wait_.Loaded()) wait_.Load();  // its own text first, then ours, before it shows
  if (!status.empty()) wait_.SetStatus(status);
  wait_.ShowAndPaint();
}

void FormsUi::CloseProgress() { wait_.Unload(); }

void FormsUi::LetMessagesRun() { forms::DoEvents(); }

int FormsUi::Message(const std::string& text, unsigned flags, const std::string& title) {
  return forms::MsgBox(text, flags, title, main_.Visible() ? main_.Handle() : nullptr);
}

void FormsUi::PreviewSize(int& width, int& height) { main_.PreviewPixelSize(width, height); }

void FormsUi::ShowPreview(vd::Image preview) { main_.SetPreview(std::move(preview)); }

void FormsUi::CloseStyleList() { main_.CloseStyleList(); }

void FormsUi::WallpaperShown() {
  if (state_.settings.transparentIcons != 0) ApplyIconTextColours(state_.settings, background_.Shell());
  ShowHideDesktopIcons(state_.settings);
}

void FormsUi::ShowMainWindow() { main_.Show(); }

void FormsUi::PostListNotSavedNotice() { main_.PostNotice(FrmMain::Notice::ListNotSaved); }

void FormsUi::PostNotice(const std::string& text, const std::string& title) { main_.PostNotice(text, title); }

void FormsUi::WatchedFoldersChanged() { settings_.WatchedFoldersChanged(); }
