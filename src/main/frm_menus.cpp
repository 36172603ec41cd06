#include "main/frm_menus.h"

#include <commctrl.h>
#include <windows.h>

#include <algorithm>

#include "app/app_parts.h"
#include "base/required.h"
#include "desktop/desktop_icons.h"
#include "desktop/hot_key.h"
#include "desktop/tray_icon.h"
#include "dialogs/dialogs.h"
#include "dialogs/file_dialogs.h"
#include "engine/file_dialog_names.h"
#include "engine/paths.h"
#include "engine/settings.h"
#include "engine/wallpaper_list.h"
#include "main/control_ids.h"
#include "main/frm_main.h"
#include "platform/process.h"

namespace {
const char kListFilter[] = "Wallpapers' List (*.vdl)\0*.vdl\0";
const char kEnableCaption[] = "Enable Vexa Desktop";
const char kDisableCaption[] = "Disable Vexa Desktop";

std::string FilterText(const char* text, std::size_t sizeWithNul) { return std::string(text, sizeWithNul - 1); }

}  // namespace

FrmMenus::FrmMenus(vdapp::AppParts& parts, TrayIcon& tray, HotKey& hotKey, FrmSettings& settingsDialog)
    : parts_(parts),
      tray_(tray),
      hotKey_(hotKey),
      settingsDialog_(settingsDialog),
      folderLister_(parts.lists, parts.state) {
  folderLister_.SetDialogTitle("");
  folderLister_.SetFilter(vd::PictureFolderFilter(vd::PictureExtensions()));
  mnuOpen.Click = [this] { mnuOpen_Click(); };
  mnuChange.Click = [this] { mnuChange_Click(); };
  mnuPrevious.Click = [this] { mnuPrevious_Click(); };
  mnuShowPic.Click = [this] { parts_.curate.ShowWallpaperInFolder(); };
  mnuRemovePic.Click = [this] { parts_.curate.RemoveShownPicture(); };
  mnuSettings.Click = [this] { mnuSettings_Click(); };
  mnuScrSaver.Click = [this] { mnuScrSaver_Click(); };
  mnuDisable.Click = [this] { mnuDisable_Click(); };
  mnuExit.Click = [this] { mnuExit_Click(); };
  mnuAbout.Click = [this] { mnuAbout_Click(); };
  mnuSet.Click = [this] { mnuSet_Click(); };
  mnuDel.Click = [this] { mnuDel_Click(); };
  mnuEdit.Click = [this] { mnuEdit_Click(); };
  mnuShowInFolder.Click = [this] {
    const vdapp::WallpaperModel& list = parts_.state.list;
    if (list.Has(list.Selected()))
      parts_.curate.ShowPictureInFolder(list.At(list.Selected()).FullPath(), "Show in Folder");
  };
  mnuPropImage.Click = [this] { mnuPropImage_Click(); };
  mnuAFiles.Click = [this] { mnuAFiles_Click(); };
  mnuAFolder.Click = [this] { mnuAFolder_Click(); };
  mnuSSel.Click = [this] { mnuDel_Click(); };
  mnuSAll.Click = [this] { mnuSAll_Click(); };
  mnuSDup.Click = [this] { mnuSDup_Click(); };
  mnuListSave.Click = [this] { mnuListSave_Click(); };
  mnuListLoad.Click = [this] { mnuListLoad_Click(); };
  for (int i = 0; i < 2; ++i) {
    mnuS[i].Click = [this, i] { mnuS_Click(i); };
    mnuI[i].Click = [this, i] { mnuS_Click(i); };
  }
}

forms::Form::WindowDesign FrmMenus::Design() const {
  WindowDesign s;
  s.caption = "Menus";
  s.style = WS_POPUP;
  s.exStyle = WS_EX_TOOLWINDOW;
  s.width = 10;
  s.height = 10;
  s.x = 0;
  s.y = 0;
  return s;
}

HICON FrmMenus::Icon() const { return tray_.Picture(false); }

void FrmMenus::CreateControls() {
  ::InitCommonControls();
  ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon()));
  using Row = forms::MenuTree::Row;
  tree_.Build({
      Row{&mnuSysTray, nullptr, ids::mnuSysTray, "Tray"},
      Row{&mnuOpen, &mnuSysTray, ids::mnuOpen, "&Open"},
      Row{&mnuChange, &mnuSysTray, ids::mnuChange, "Change &Wallpaper"},
      Row{&mnuPrevious, &mnuSysTray, ids::mnuPrevious, "&Previous Wallpaper"},
      Row{&mnuShowPic, &mnuSysTray, ids::mnuShowPic, "Show Picture in &Folder"},
      Row{&mnuRemovePic, &mnuSysTray, ids::mnuRemovePic, "&Remove This Picture"},
      Row{&mnuSettings, &mnuSysTray, ids::mnuSettings, "Set&tings"},
      Row{&mnuBlank0, &mnuSysTray, ids::mnuBlank0, "-"},
      Row{&mnuScrSaver, &mnuSysTray, ids::mnuScrSaver, "Start &Screensaver"},
      Row{&mnuBlank1, &mnuSysTray, ids::mnuBlank1, "-"},
      Row{&mnuDisable, &mnuSysTray, ids::mnuDisable, "&Disable Vexa Dektop"},
      Row{&mnuExit, &mnuSysTray, ids::mnuExit, "Exit"},
      Row{&mnuBlank2, &mnuSysTray, ids::mnuBlank2, "-"},
      Row{&mnuAbout, &mnuSysTray, ids::mnuAbout, "&About Vexa Desktop"},
      Row{&mnuImage, nullptr, ids::mnuImage, "Image"},
      Row{&mnuSet, &mnuImage, ids::mnuSet, "Set as &wallpaper"},
      Row{&mnuDel, &mnuImage, ids::mnuDel, ""},
      Row{&mnuB8, &mnuImage, ids::mnuB8, "-"},
      Row{&mnuEdit, &mnuImage, ids::mnuEdit, "Edit Picture"},
      Row{&mnuShowInFolder, &mnuImage, ids::mnuShowInFolder, "Show in &Folder"},
      Row{&mnuBlank3, &mnuImage, ids::mnuBlank3, "-"},
      Row{&mnuPropImage, &mnuImage, ids::mnuPropImage, "P&roperties"},
      Row{&mnuIB, &mnuImage, ids::mnuIB, "-"},
      Row{&mnuIS, &mnuImage, ids::mnuIS, "Sort list by"},
      Row{&mnuI[0], &mnuIS, ids::mnuIBase, "Location"},
      Row{&mnuI[1], &mnuIS, ids::mnuIBase + 1, "Name"},
      Row{&mnuAdd, nullptr, ids::mnuAdd, "Add"},
      Row{&mnuAFiles, &mnuAdd, ids::mnuAFiles, "Add File"},
      Row{&mnuAFolder, &mnuAdd, ids::mnuAFolder, "Add Folder"},
      Row{&mnuSub, nullptr, ids::mnuSub, "Sub"},
      Row{&mnuSSel, &mnuSub, ids::mnuSSel, "Remove"},
      Row{&mnuSAll, &mnuSub, ids::mnuSAll, "Remove All Images"},
      Row{&mnuSDup, &mnuSub, ids::mnuSDup, "Remove Duplicates"},
      Row{&mnuList, nullptr, ids::mnuList, "List"},
      Row{&mnuListSave, &mnuList, ids::mnuListSave, "Save List"},
      Row{&mnuListLoad, &mnuList, ids::mnuListLoad, "Load List"},
      Row{&mnuLB[0], &mnuList, ids::mnuLBBase, "-"},
      Row{&mnuLSort, &mnuList, ids::mnuLSort, "Sort By"},
      Row{&mnuS[0], &mnuLSort, ids::mnuSBase, "Location"},
      Row{&mnuS[1], &mnuLSort, ids::mnuSBase + 1, "Name"},
  });
}

bool FrmMenus::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND && lParam == 0 && HIWORD(wParam) == 0 && DispatchCommand(LOWORD(wParam))) {
    result = 0;
    return true;
  }
  return false;
}

void FrmMenus::PopupMenu(const forms::MenuItem& root, const forms::MenuItem* defaultItem, const RECT* below) {
  if (menuOpen_) return;  // one popup at a time, however fast the clicks come
  base::ScopedFlag open(menuOpen_);
  DropQueuedTrayClicks();
  tree_.Popup(root, Main().Handle(), defaultItem, below);
  DropQueuedTrayClicks();
}

void FrmMenus::PopupTrayMenu(bool changeUnderWay, bool previousAvailable) {
  mnuPrevious.SetEnabled(previousAvailable);
  PopupMenu(mnuSysTray, changeUnderWay ? &mnuDisable : &mnuChange);
}

void FrmMenus::PopupRemoveMenu(const std::string& selectedName) {
  if (!selectedName.empty()) mnuSSel.SetCaption("&Remove '" + selectedName + "'");
  mnuSSel.SetVisible(!selectedName.empty());
  PopupMenu(mnuSub);
}

void FrmMenus::PopupImageMenu(const std::string& entryName, const RECT* below) {
  mnuDel.SetCaption("&Remove '" + entryName + "' from list");
  PopupMenu(mnuImage, nullptr, below);
}

void FrmMenus::ShowEnabled(bool enabled) { mnuDisable.SetCaption(enabled ? kDisableCaption : kEnableCaption); }

void FrmMenus::DropQueuedTrayClicks() {
  // Clicks on the icon that piled up while the program was busy, or while
  // this menu was open, are spent: they must not bring up one menu after another.
  HWND tray = Main().TrayIconWindow();
  MSG msg;
  while (tray && ::PeekMessageA(&msg, tray, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
  }
}

FrmMain& FrmMenus::Main() const { return base::Required(main_, "the menus' main window"); }

// The menus' commands that change the list run in the command core, after
// whatever came before them and never inside another command.
void FrmMenus::Submit(const char* name, std::function<void()> run) {
  parts_.state.commands.Submit({name, vdapp::CommandCore::Kind::Other, std::move(run)});
}

bool FrmMenus::DispatchCommand(unsigned id) { return tree_.Dispatch(id); }

// ---- Tray menu -------------------------------------------------------------

void FrmMenus::mnuOpen_Click() {
  FrmMain& m = Main();
  parts_.state.mainWindowOpen = true;
  m.Show();
  m.Refresh();
}

void FrmMenus::mnuChange_Click() { parts_.change.RequestChange(); }

void FrmMenus::mnuPrevious_Click() { parts_.change.RequestPrevious(); }

void FrmMenus::mnuSettings_Click() {
  // mainWindowOpen stays as it is: closing the dialog brings the main window
  // back only when it was open.
  if (ShowSettingsDialog(settingsDialog_)) Main().Hide();
}

void FrmMenus::mnuScrSaver_Click() { ::SendMessageA(Main().Handle(), WM_SYSCOMMAND, SC_SCREENSAVE, 0); }

void FrmMenus::mnuDisable_Click() {
  AppState& a = parts_.state;
  const bool enable = mnuDisable.Caption() == kEnableCaption;
  a.settings.cyclingEnabled = enable ? 1 : 0;
  Main().ShowCycleState(enable);
  ShowEnabled(enable);
  tray_.Update(enable);
  a.cycleSeconds = 0;
  a.WriteProgramValue("Enabled VD", enable ? "1" : "0");
}

void FrmMenus::mnuExit_Click() {
  const int answer = forms::MsgBox(
      "This application should be running if you want your Desktop Wallpaper Change automatically.\r\n"
      "Are you sure you want to exit?",
      MB_YESNO | MB_ICONQUESTION, forms::kProgramTitle, Main().Handle());
  if (answer != IDYES) return;
  // A change under way stops; the desktop keeps the wallpaper it shows.
  parts_.change.StopChanges();
  tray_.Remove();
  hotKey_.Setup(true);
  ShowDesktopIconsAtEnd(parts_.state.settings);
  EndProgram();
}

void FrmMenus::mnuAbout_Click() { Main().Buttons_Click(3); }

// ---- Image menu ------------------------------------------------------------

void FrmMenus::mnuSet_Click() { parts_.change.RequestApplySelected(); }

void FrmMenus::mnuDel_Click() {
  AppState& a = parts_.state;
  const int i = a.list.Selected();
  if (!a.list.Has(i)) return;  // offered only with an entry selected; a posted command may come without one
  // The entry the user meant, even when a change selects another before this runs.
  Submit("Remove", [this, i, path = a.list.At(i).FullPath()] {
    vdapp::WallpaperModel& list = parts_.state.list;
    const int before = list.Count();
    parts_.lists.RemoveEntry(i, path);
    if (list.Count() == before) return;  // gone or moved already: the selection is someone else's
    // The entry that took its place, or the new last one, is selected and shown.
    list.Select(std::min(i, list.Count() - 1));
    if (list.Selected() >= 0) {
      parts_.change.RequestPreview(false);
    } else {
      Main().SetPreview(vd::Image());
    }
  });
}

void FrmMenus::mnuEdit_Click() {
  FrmMain& m = Main();
  const vdapp::WallpaperModel& list = parts_.state.list;
  const int i = list.Selected();
  if (!list.Has(i)) return;
  const std::string path = list.At(i).FullPath();
  // By its full path only: a program of that name in the current folder or
  // on the search path is never the editor.
  const std::string editor = platform::ImageEditorPath();
  if (!editor.empty() && platform::StartProgram(editor, "\"" + editor + "\" \"" + path + "\"", SW_SHOWMAXIMIZED)) return;
  forms::MsgBox("The image editor (mspaint) could not be started, so this picture cannot be edited now:\r\n" + path,
                MB_OK | MB_ICONEXCLAMATION, "Edit Picture", m.Handle());
}

void FrmMenus::mnuPropImage_Click() { parts_.change.RequestImageInfo(); }

// ---- Add and remove --------------------------------------------------------

void FrmMenus::mnuAFiles_Click() {
  Submit("Add File", [this] {
    parts_.lists.AddPictures(ShowFileDialogFiles(parts_.state.registry.get(), Main().Handle(),
                                                 vd::PictureDialogFilter(vd::PictureExtensions()), "Select image ...",
                                                 "OPEN", DialogPlace::Pictures));
  });
}

void FrmMenus::mnuAFolder_Click() {
  Submit("Add Folder", [this] {
    XFolder& folder = folderLister_;
    folder.SetFormHandle(Main().Handle());
    folder.SetRecurseSubDirectories(parts_.state.settings.recurseSubFolders != 0);
    folder.SetCurrentFolder(std::string());
    folder.ListFiles(false);
    parts_.lists.SaveList(std::string());
  });
}

void FrmMenus::mnuSAll_Click() {
  Submit("Remove All Images", [this] { parts_.lists.RemoveAll(); });
}

void FrmMenus::mnuSDup_Click() {
  Submit("Remove Duplicates", [this] { parts_.watched.RemoveDuplicates(); });
}

// ---- List files ------------------------------------------------------------

void FrmMenus::mnuListSave_Click() { Submit("Save List", [this] { SaveListAs(); }); }

void FrmMenus::SaveListAs() {
  FrmMain& m = Main();
  for (;;) {
    std::string name =
        ShowFileDialog(parts_.state.registry.get(), m.Handle(), FilterText(kListFilter, sizeof kListFilter),
                       "Save Current list as ...", "Save", DialogPlace::Lists);
    lastChoice_ = name;
    if (name.empty()) return;
    name = vd::WithListFileExtension(name);
    lastChoice_ = name;
    if (vd::NormalFileExists(parts_.state.fs, name)) {
      const int answer = forms::MsgBox(name + "already exists\r\nOverwrite it?", MB_YESNOCANCEL | MB_ICONQUESTION,
                                       "Save List", m.Handle());
      if (answer == IDNO) continue;  // ask for another name
      if (answer != IDYES) return;
      ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only list is replaced too
    }
    if (!parts_.lists.SaveList(name))
      forms::MsgBox("The list could not be saved as\r\n" + name +
                        "\r\nThe file may be in use, or its folder may not exist. The list was not changed.",
                    MB_OK | MB_ICONEXCLAMATION, "Save List", m.Handle());
    return;
  }
}

void FrmMenus::mnuListLoad_Click() {
  Submit("Load List", [this] {
    const std::string name =
        ShowFileDialog(parts_.state.registry.get(), Main().Handle(), FilterText(kListFilter, sizeof kListFilter),
                       "Open Wallpapers' List", "OPEN", DialogPlace::Lists);
    if (name.empty()) return;
    parts_.lists.LoadList(name, true);
    parts_.lists.SaveList(std::string());
  });
}

// ---- Sorting ---------------------------------------------------------------

void FrmMenus::mnuS_Click(int Index) {
  parts_.state.settings.sortingType = std::to_string(Index);
  lastChoice_ = std::to_string(Index);
  parts_.state.WriteProgramValue("SortingType", lastChoice_);
  CheckSortMenus();
  Submit("Sort By", [this] { parts_.lists.SortList(); });
}

void FrmMenus::CheckSortMenus() {
  // A stored value that names neither entry leaves both unchecked.
  const int t = vd::TextAsIndex(parts_.state.settings.sortingType);
  for (int i = 0; i < 2; ++i) {
    mnuS[i].SetChecked(i == t);
    mnuI[i].SetChecked(i == t);
  }
}
