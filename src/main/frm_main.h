// The main window: the wallpaper list panel, the cycle timer and the command
// channel. Loaded hidden at start; the user opens it from the tray.
#pragma once

#include <string>
#include <vector>

#include "engine/wallpaper_list.h"
#include "forms/forms.h"

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
  forms::Timer Timer1;

  // The wallpaper list: imgList shows the names, entries hold folder, name
  // and extension of the same index.
  std::vector<vd::ListEntry> entries;
  void AppendEntry(const vd::ListEntry& e);
  void RemoveEntry(int index);
  void ClearEntries();
  int SelectedIndex() const { return imgList.ListIndex(); }

 protected:
  WindowSpec Spec() const override;
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void HandleCommandLine();
  void setHandCursors();
  void Text1_Change();
  void Timer1_Timer();
  void lblTime_MouseUp(const forms::MouseArgs& m);
  void lstTime_Click();
  void lstStyle_Click();
  void lstStyle_LostFocus();
  void lblStyle_MouseUp(const forms::MouseArgs& m);
};
