// The main window as the list model's observer: the image list shows the
// model's entries, its selection and its style.
#include <windows.h>

#include "app/app_parts.h"
#include "base/handles.h"
#include "main/frm_main.h"

void FrmMain::ShowListItems(int first, bool clearFirst) {
  HWND list = imgList.Handle();
  if (!list) return;
  const auto& entries = parts_.state.list.Entries();
  // Drawing off meanwhile: one repaint at the end instead of one per entry.
  imgList.SetRedraw(false);
  if (clearFirst) imgList.Clear();
  if (first >= 0 && static_cast<std::size_t>(first) < entries.size()) {
    const std::size_t n = entries.size() - static_cast<std::size_t>(first);
    ::SendMessageA(list, LB_INITSTORAGE, n, n * 16);
    // Straight to the list box's own procedure: the subclasses on it (mouse
    // events, the tip) have no part in adding entries, and passing each of
    // many thousand entries through them costs more than the list box does.
    const auto listProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrA(list, GCLP_WNDPROC));
    for (std::size_t k = static_cast<std::size_t>(first); k < entries.size(); ++k)
      ::CallWindowProcA(listProc, list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[k].name.c_str()));
  }
  imgList.SetRedraw(true);
}

void FrmMain::ListReplaced() {
  tipIndex_ = -2;
  ShowListItems(0, true);
}

void FrmMain::EntriesAppended(int first) { ShowListItems(first, false); }

void FrmMain::EntryRemoved(int index) {
  imgList.RemoveItem(index);
  tipIndex_ = -2;
}

void FrmMain::EntriesInserted(const std::vector<int>& at) {
  // Each insertion moves the entries after it: past a few hundred, showing
  // the list anew costs less.
  HWND list = imgList.Handle();
  if (at.size() > 256 || !list) {
    ListReplaced();
    return;
  }
  const auto& entries = parts_.state.list.Entries();
  const auto listProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrA(list, GCLP_WNDPROC));
  imgList.SetRedraw(false);
  for (const int i : at) {
    ::CallWindowProcA(listProc, list, LB_INSERTSTRING, static_cast<WPARAM>(i),
                      reinterpret_cast<LPARAM>(entries[static_cast<std::size_t>(i)].name.c_str()));
  }
  imgList.SetRedraw(true);
  tipIndex_ = -2;
}

void FrmMain::SelectionChanged(int index) { SelectQuietly(index); }

void FrmMain::StyleChanged(int style) {
  if (lstStyle.ListIndex() == style) {
    // Already there, maybe where the user moved in the open list: only the label follows.
    lblStyle.SetText(style >= 0 ? lstStyle.List(style) : std::string());
    return;
  }
  // The program's choice, not the user's pick, even when it closes a style
  // list the user had open.
  base::ScopedFlag byProgram(styleSetByProgram_);
  lstStyle.SetListIndex(style);
}

int FrmMain::SelectedIndex() const { return parts_.state.list.Selected(); }

void FrmMain::SelectQuietly(int index) {
  if (imgList.Handle()) ::SendMessageA(imgList.Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
