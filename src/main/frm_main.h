// The main window: the wallpaper list panel, the cycle timer and the command
// channel. Loaded hidden at start; the user opens it from the tray.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "engine/image.h"
#include "engine/selection.h"
#include "engine/wallpaper_list.h"
#include "forms/forms.h"
#include "platform/picture_loader.h"

class FrmMain : public forms::Form {
 public:
  FrmMain();

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

  // The screen-sized composition of the selected entry; kept only until it
  // is applied or another entry is composed.
  vd::Image FullSizePic;

  // Loads the selected picture (BackPic): the part of it that the given
  // style, or else the style it will be shown in, needs. False when it
  // cannot be decoded.
  bool LoadBackPic(const std::string& path, std::optional<int> style = std::nullopt);
  // The picture's own size, whatever part of it was decoded.
  int BackPicWidth() const { return backWidth_; }
  int BackPicHeight() const { return backHeight_; }
  // Composes the loaded picture in the chosen (or suggested) style and shows
  // the preview; false when that fails.
  bool showThumbnail();
  int suggestStyle() const;
  // Makes sure FullSizePic holds the selected entry in the selected style.
  bool ComposeSelected();
  void ReleaseCanvas();
  // Selects an entry without running the list's click handler.
  void SelectQuietly(int index);
  // Closes the style list if it is open, without taking that as a pick.
  void CloseStyleList();

  // Previews and compositions never run inside one another: set while one
  // runs. A preview asked for meanwhile (by a focus change it caused, say) is
  // noted in previewWanted and runs once the one under way has finished.
  bool composing = false;
  bool previewWanted = false;

  // The wallpaper list: imgList shows the names, entries hold folder, name
  // and extension of the same index.
  std::vector<vd::ListEntry> entries;
  void AppendEntry(const vd::ListEntry& e);
  void RemoveEntry(int index);
  void ClearEntries();
  // Puts the entries in a new order: order[k] is the index of the entry that
  // goes to place k. The same picture stays selected, and the shuffle round
  // goes on over the same pictures.
  void ReorderEntries(const std::vector<int>& order);
  int SelectedIndex() const { return imgList.ListIndex(); }
  // Random order's round over the entries; follows every change of the list.
  vd::ShuffleRound shuffle;

  enum class Notice { ListNotSaved };
  // Shows the notice's message box once the message at hand has been handled.
  void PostNotice(Notice notice);

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnDpiChanged() override;

 private:
  void HandleCommandLine();
  void RunCommand(const std::string& text);
  void RunHeldCommands();
  int StyleFor(int width, int height) const;
  bool ComposeBackPic();
  void PaintPreview(HDC dc, const RECT& rc);
  void PaintButton(int index, HDC dc, const RECT& rc);
  void Form_MouseMove(const forms::MouseArgs& m);
  void Form_LostFocus();
  void ResetHoverPictures();
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
  void lstStyle_Click();
  void lstStyle_LostFocus();
  void lblStyle_MouseUp(const forms::MouseArgs& m);

  platform::Picture backPic_;
  int backStyle_ = -1;  // the style whose part of the picture backPic_ holds
  int backWidth_ = 0, backHeight_ = 0;
  std::string canvasKey_;  // entry path and style FullSizePic was composed for
  std::string backPicPath_;
  vd::Image preview_;
  vd::Image skin_;  // the window's background at its DPI; its key-colour pixels lie outside the window
  int hoveredButton_ = -1;
  int hoveredCtrl_ = -1;  // imgCtrl picture shown hovered: 1 minimise, 3 close
  int lastMouseX_ = -1, lastMouseY_ = -1;
  int tipIndex_ = -2;
  // Commands from the channel wait here until start-up has loaded the list,
  // and while another command runs.
  std::deque<std::string> heldCommands_;
  bool listLoaded_ = false;
  bool runningCommand_ = false;
  // Set while the program itself changes or closes the style list.
  bool styleSetByProgram_ = false;
  forms::Timer repaintTimer_;  // repaints the window after the desktop has repainted
  void RepaintAfterTheDesktop();
  int repaintsLeft_ = 0;
};
