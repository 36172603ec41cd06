// The model's way to VD's own forms: the progress form, message boxes and
// the preview it asks for.
#pragma once

#include <string>

#include "app/ui_port.h"

class FrmWait;
class FrmMain;
class FrmSettings;

class FormsUi : public vdapp::UiPort {
 public:
  FormsUi(FrmWait& wait, FrmMain& main, FrmSettings& settings) : wait_(wait), main_(main), settings_(settings) {}

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
  FrmWait& wait_;
  FrmMain& main_;
  FrmSettings& settings_;
};
