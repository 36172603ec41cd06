// The hidden form that carries every popup menu of VD and their commands.
// Created on first use, never shown.
#pragma once

#include <functional>

#include "forms/forms.h"
#include "forms/menus.h"
#include "main/xfolder.h"

class FrmMain;
class FrmSettings;
class HotKey;
class TrayIcon;
namespace vdapp {
class AppParts;
}

class FrmMenus : public forms::Form {
 public:
  // parts: the list and the wallpaper the commands act on.
  FrmMenus(vdapp::AppParts& parts, TrayIcon& tray, HotKey& hotKey, FrmSettings& settingsDialog);
  // The window that owns the menus and the dialogs they open; required
  // before the first command.
  void Bind(FrmMain& main) { main_ = &main; }

  // Tray menu
  forms::MenuItem mnuSysTray, mnuOpen, mnuChange, mnuPrevious, mnuShowPic, mnuRemovePic, mnuSettings, mnuBlank0, mnuScrSaver, mnuBlank1, mnuDisable, mnuExit,
      mnuBlank2, mnuAbout;
  // Image menu (right click on the list)
  forms::MenuItem mnuImage, mnuSet, mnuDel, mnuB8, mnuEdit, mnuShowInFolder, mnuBlank3, mnuPropImage, mnuIB, mnuIS, mnuI[2];
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

  // What other forms and parts change here.
  // The tray menu at the mouse; its default entry is "Change Wallpaper",
  // or the enable/disable entry while a change is under way.
  // "Previous Wallpaper" is greyed when there is nothing to go back to.
  void PopupTrayMenu(bool changeUnderWay, bool previousAvailable);
  // The main window's button menus; the Remove menu names the selected
  // entry (none: its entry for the selection is hidden).
  void PopupAddMenu() { PopupMenu(mnuAdd); }
  void PopupRemoveMenu(const std::string& selectedName);
  void PopupListMenu() { PopupMenu(mnuList); }
  // The image menu for the named entry, at the mouse or below the screen
  // rectangle given.
  void PopupImageMenu(const std::string& entryName, const RECT* below = nullptr);
  // The image menu's "Set as wallpaper" and Remove, from the list's keys.
  bool SetSelectedAsWallpaper() { return DispatchCommand(mnuSet.Id()); }
  bool RemoveSelected() { return DispatchCommand(mnuDel.Id()); }
  // Puts the check marks of both sort submenus on the stored sort order.
  void CheckSortMenus();
  // The enable/disable entry names what it would do.
  void ShowEnabled(bool enabled);
  // The change entry's caption, naming the hot key while one is registered.
  void SetChangeCaption(const std::string& caption) { mnuChange.SetCaption(caption); }
  void SetPreviousCaption(const std::string& caption) { mnuPrevious.SetCaption(caption); }

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // The list file name or the sort choice last picked from these menus.
  std::string lastChoice_;

  void mnuChange_Click();
  void mnuPrevious_Click();
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

  FrmMain& Main() const;
  void Submit(const char* name, std::function<void()> run);

  vdapp::AppParts& parts_;
  FrmMain* main_ = nullptr;
  TrayIcon& tray_;
  HotKey& hotKey_;
  FrmSettings& settingsDialog_;
  forms::MenuTree tree_;
  XFolder folderLister_;  // "Add Folder"'s, which keeps the folder last listed
  bool menuOpen_ = false;  // a popup is up; another request meanwhile is dropped
};
