// The hidden form that carries every popup menu of VD and their commands.
// Created on first use, never shown.
#pragma once

#include "forms/forms.h"
#include "forms/menus.h"

class FrmMenus : public forms::Form {
 public:
  FrmMenus();

  // Tray menu
  forms::MenuItem mnuSysTray, mnuOpen, mnuChange, mnuSettings, mnuBlank0, mnuScrSaver, mnuBlank1, mnuDisable, mnuExit,
      mnuBlank2, mnuAbout;
  // Image menu (right click on the list)
  forms::MenuItem mnuImage, mnuSet, mnuDel, mnuB8, mnuEdit, mnuBlank3, mnuPropImage, mnuIB, mnuIS, mnuI[2];
  // Add, remove and list menus (the main window's buttons)
  forms::MenuItem mnuAdd, mnuAFiles, mnuAFolder;
  forms::MenuItem mnuSub, mnuSSel, mnuSAll, mnuSDup;
  forms::MenuItem mnuList, mnuListSave, mnuListLoad, mnuLB[1], mnuLSort, mnuS[2];

  // Pops up one of the top-level menus at the mouse (or below the screen
  // rectangle below), owned by the main window.
  void PopupMenu(const forms::MenuItem& root, const forms::MenuItem* defaultItem = nullptr, const RECT* below = nullptr);
  // Runs the entry with that command id; false when no entry has it.
  bool DispatchCommand(unsigned id);
  // The form's own icon: the tray's "disabled" picture.
  HICON Icon() const;

  void mnuOpen_Click();
  void mnuDel_Click();

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // The list file name or the sort choice last picked from these menus.
  std::string lastChoice_;

  void mnuChange_Click();
  void mnuSettings_Click();
  void mnuScrSaver_Click();
  void mnuDisable_Click();
  void mnuExit_Click();
  void mnuAbout_Click();
  void mnuSet_Click();
  void mnuEdit_Click();
  void mnuPropImage_Click();
  void mnuAFiles_Click();
  void mnuAFolder_Click();
  void mnuSAll_Click();
  void mnuSDup_Click();
  void mnuListSave_Click();
  void mnuListLoad_Click();
  void mnuS_Click(int Index);
  void DropQueuedTrayClicks();
  void SaveListAs();

  forms::MenuTree tree_;
  bool menuOpen_ = false;  // a popup is up; another request meanwhile is dropped
};

// The menu form, loaded on first use.
FrmMenus& frmMenus();

// Puts the check marks of both sort submenus on the stored sort order.
void CheckSortMenus();
