// The model's way to VD's own forms: the progress form, message boxes and
// the preview it asks for.
#pragma once

#include <string>

#include "app/ui_port.h"

class FrmWait;
class FrmMain;
class FrmSettings;
namespace vdapp {
class Background;
}
struct AppState;

class FormsUi : public vdapp::UiPort {
 public:
  // state and background: the settings and the shell's lane for the desktop icons.
  FormsUi(AppState& state, vdapp::Background& background, FrmWait& wait, FrmMain& main, FrmSettings& settings)
      : state_(state), background_(background), wait_(wait), main_(main), settings_(settings) {}

  void ShowProgress(const std::string& status) override;
  void CloseProgress() override;
  void LetMessagesRun() override;
  int Message(const std::string& text, unsigned flags, const std::string& title) override;
  void PreviewSize(int& width, int& height) override;
  void ShowPreview(vd::Image preview) override;
  void CloseStyleList() override;
  void WallpaperShown() override;
  void ShowMainWindow() override;
  void PostListNotSavedNotice() override;
  void PostNotice(const std::string& text, const std::string& title) override;
  void WatchedFoldersChanged() override;

 private:
  AppState& state_;
  vdapp::Background& background_;
  FrmWait& wait_;
  FrmMain& main_;
  FrmSettings& settings_;
};
