// The settings dialog: every option of the program in one modeless window.
// Nothing is stored until Apply (or OK).
#pragma once

#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "forms/forms.h"

class FrmTransIconEx;
class HotKey;
namespace vdapp {
class AppParts;
}

class FrmSettings : public forms::Form {
 public:
  // parts: the settings, the list and its watched folders; hotKey: the key
  // that Apply registers anew; example: the window that shows what
  // transparent captions look like.
  FrmSettings(vdapp::AppParts& parts, HotKey& hotKey, FrmTransIconEx& example);
  // The main program's windows, made after this dialog; before it is shown.
  void Bind(DialogHooks hooks);

  forms::Frame fraSort, fraHotKey, fraGeneral;
  forms::CheckBox chkOption[7];
  forms::CheckBox chShowDate;
  forms::Label lblP[3];  // lblP(1) and lblP(2)
  forms::PictureBox IconCol;
  forms::Label lblExample;
  forms::ListBox cmbMod, cmbKey;
  forms::Label lblHot;
  forms::ListBox cmbPrevMod, cmbPrevKey;
  forms::Label lblPrevHot;
  forms::Button cmdHelpHotKey;
  forms::OptionButton SType[2];
  forms::Label sClicked;
  forms::Frame fraMonitors;
  forms::OptionButton optMonitors[2];
  forms::Frame fraWatched;
  forms::ListBox lstWatched;
  forms::Button cmdStopWatching;
  forms::Button cmdSave, cmdCancel, cmdApply;

  void cmdApply_Click();
  void cmdSave_Click();
  void cmdCancel_Click();
  void cmdStopWatching_Click();
  // Shows the list's watched folders as they are now.
  void ShowWatchedFolders();
  // Follows the watched folders while the dialog is loaded.
  void WatchedFoldersChanged();

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  void Form_Load() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnDpiChanged() override;

 private:
  void FillHotKeyLists(int modifier, int key);
  void LayOutTip();
  void Form_MouseMove(const forms::MouseArgs& m);
  void chkOption_Click(int index);
  void chShowDate_Click();
  void optMonitors_Click();
  void SType_Click(int index);
  void cmbKey_Click();
  void cmbMod_Click();
  void cmbPrev_Click();
  // The "Previous Wallpaper" key's lists and label show flags and key.
  void ShowPreviousKey(int flags, int key);
  void IconCol_Click();
  void lblExample_Click();
  void cmdHelpHotKey_Click();
  void SetIconColour(COLORREF c);
  void PaintSwatch(HDC dc, const RECT& rc);

  const DialogHooks& Hooks() const;

  vdapp::AppParts& parts_;
  HotKey& hotKey_;
  FrmTransIconEx& example_;
  DialogHooks hooks_;
  COLORREF iconColour_ = RGB(255, 255, 255);  // IconCol's background colour
  bool hotKeyChanged_ = false;
  bool previousKeyChanged_ = false;  // the user picked the previous key in this dialog
  bool fillingPrevious_ = false;
  bool applying_ = false;
  bool anotherKeyWanted_ = false;
  HCURSOR eyedropper_ = nullptr;
  std::vector<std::string> watchedShown_;  // the folders lstWatched shows, in its order
};
