// The main window: the wallpaper list panel, the cycle timer and the command
// channel. Loaded hidden at start; the user opens it from the tray.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/wallpaper_model.h"
#include "engine/image.h"
#include "forms/forms.h"

class FrmAbout;
class FrmMenus;
class FrmWait;
class FrmSettings;
class HotKey;
class TrayIcon;
namespace vdapp {
class AppParts;
}

class FrmMain : public forms::Form, public vdapp::ListObserver {
 public:
  // The program's parts below the windows, the icon it shows in the
  // notification area, the key it owns and the dialogs its buttons open.
  FrmMain(vdapp::AppParts& parts, FrmWait& wait, FrmMenus& menus, TrayIcon& tray, HotKey& hotKey,
          FrmSettings& settingsDialog, FrmAbout& aboutBox);
  ~FrmMain() override;

  forms::TextBox Text1;
  forms::Label lblP0, lblP1;
  forms::Label lblTime;
  forms::ListBox lstTime;
  forms::Label lblStyle;
  forms::ListBox lstStyle;
  forms::ListBox imgList;
  forms::PictureBox imgPreview;
  forms::PictureBox Buttons[5];
  forms::PictureBox imgMin, imgClose;
  forms::PictureBox SysTrayPic;  // never shown; receives the notification icon's messages
  forms::Timer Timer1;

  // The panel buttons: 0 Add menu, 1 Remove menu, 2 List menu, 3 About, 4 Settings.
  void Buttons_Click(int Index);

  // The preview's size in pixels at the window's DPI, and the picture it shows.
  void PreviewPixelSize(int& width, int& height) const;
  void SetPreview(vd::Image preview);
  // Selects an entry without running the list's click handler.
  void SelectQuietly(int index);
  // Closes the style list if it is open, without taking that as a pick.
  void CloseStyleList();
  int SelectedIndex() const;
  // The cycle time shown and the cycle timer: the chosen time and running,
  // or "Disabled" and stopped.
  void ShowCycleState(bool enabled);
  // The cycle time list's entry as read from the settings.
  void SetCycleTimeIndex(int index) { lstTime.SetListIndex(index); }
  // The hidden window that gets the notification icon's messages.
  HWND TrayIconWindow() const { return SysTrayPic.Handle(); }

  // The list as the model holds it.
  void ListReplaced() override;
  void EntriesAppended(int first) override;
  void EntryRemoved(int index) override;
  void EntriesInserted(const std::vector<int>& at) override;
  void SelectionChanged(int index) override;
  void StyleChanged(int style) override;

  enum class Notice { ListNotSaved, Text };
  // Shows the notice's message box once the message at hand has been handled.
  void PostNotice(Notice notice);
  void PostNotice(const std::string& text, const std::string& title);

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnDpiChanged() override;

 private:
  void Startup();
  void HandleCommandLine();
  // Shows the entries from first on in the list box (emptied first on
  // request), drawing once at the end.
  void ShowListItems(int first, bool clearFirst);
  void PaintPreview(HDC dc, const RECT& rc);
  void PaintButton(int index, HDC dc, const RECT& rc);
  void Form_MouseMove(const forms::MouseArgs& m);
  void Form_LostFocus();
  void ResetHoverPictures(bool keepKeyboard);
  void PaintSkin(HDC dc);
  void PaintCtrl(int index, HDC dc, const RECT& rc);
  void imgMin_MouseMove();
  void imgClose_MouseMove();
  void imgMin_Click();
  void imgClose_Click();
  void SysTrayPic_MouseMove(const forms::MouseArgs& m);
  void imgList_MouseDown(const forms::MouseArgs& m);
  bool imgList_KeyDown(int key, int shift);
  // The image menu at the mouse, or below the selected entry.
  void ShowImageMenu(bool atEntry);
  void Buttons_MouseMove(int index);
  void imgList_Click();
  void imgList_DblClick();
  void imgList_MouseMove(const forms::MouseArgs& m);
  void setHandCursors();
  void Text1_Change();
  void Timer1_Timer();
  void lblTime_MouseUp(const forms::MouseArgs& m);
  void HideDropDown(forms::ListBox& list);
  void lstTime_Click();
  // The user's pick of the entry selected in the style list.
  void lstStyle_Click();
  void lstStyle_SelectionMoved();
  void lstStyle_MouseUp(const forms::MouseArgs& m);
  bool lstStyle_KeyDown(int key, int shift);
  void lstStyle_LostFocus();
  void ShowChosenStyleInList();
  void lblStyle_MouseUp(const forms::MouseArgs& m);

  // The menu form, loaded on first use.
  FrmMenus& Menus();
  vdapp::AppParts& parts_;
  FrmWait& wait_;
  FrmMenus& menus_;
  TrayIcon& tray_;
  HotKey& hotKey_;
  FrmSettings& settingsDialog_;
  FrmAbout& aboutBox_;
  vd::Image preview_;
  vd::Image skin_;  // the window's background at its DPI; its key-colour pixels lie outside the window
  int hoveredButton_ = -1;
  int hoveredCtrl_ = -1;  // imgCtrl picture shown hovered: 1 minimise, 3 close
  int lastMouseX_ = -1, lastMouseY_ = -1;
  int tipIndex_ = -2;
  // Set while the program itself changes or closes the style list.
  bool styleSetByProgram_ = false;
  forms::Timer repaintTimer_;  // repaints the window after the desktop has repainted
  void RepaintAfterTheDesktop();
  int repaintsLeft_ = 0;
  std::vector<std::pair<std::string, std::string>> noticeTexts_;  // text, title; oldest first
};
