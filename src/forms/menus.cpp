#include "forms/menus.h"

namespace forms {

namespace {

void FillInfo(const MenuItem& item, MENUITEMINFOA& mi, std::string& text) {
  mi = {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
  mi.wID = item.Id();
  mi.hSubMenu = item.Popup();
  mi.fType = item.IsSeparator() ? MFT_SEPARATOR : MFT_STRING;
  mi.fState = (item.Checked() ? MFS_CHECKED : MFS_UNCHECKED) | (item.Enabled() ? MFS_ENABLED : MFS_GRAYED);
  text = item.Caption();
  if (item.IsSeparator()) {
    mi.fMask &= ~MIIM_STRING;
  } else {
    mi.dwTypeData = text.data();
    mi.cch = static_cast<UINT>(text.size());
  }
}

}  // namespace

void MenuItem::SetCaption(const std::string& caption) {
  caption_ = caption;
  Apply();
}

void MenuItem::SetChecked(bool checked) {
  checked_ = checked;
  Apply();
}

void MenuItem::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Apply();
}

void MenuItem::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (!parent_ || !parent_->popup_) return;
  if (!visible) {
    ::RemoveMenu(parent_->popup_, id_, MF_BYCOMMAND);
    return;
  }
  UINT position = 0;
  for (const MenuItem* sibling : parent_->children_) {
    if (sibling == this) break;
    if (sibling->visible_) ++position;
  }
  MENUITEMINFOA mi;
  std::string text;
  FillInfo(*this, mi, text);
  ::InsertMenuItemA(parent_->popup_, position, TRUE, &mi);
}

void MenuItem::Apply() {
  if (!parent_ || !parent_->popup_ || !visible_) return;
  MENUITEMINFOA mi;
  std::string text;
  FillInfo(*this, mi, text);
  mi.fMask &= ~MIIM_SUBMENU;  // the submenu stays where it is
  ::SetMenuItemInfoA(parent_->popup_, id_, FALSE, &mi);
}

void MenuTree::Build(const std::vector<Row>& rows) {
  bar_.Reset(::CreateMenu());
  items_.clear();
  // Which entries carry a submenu: those named as someone's parent.
  for (const Row& r : rows) {
    r.item->id_ = r.id;
    r.item->caption_ = r.caption;
    r.item->parent_ = r.parent;
    r.item->children_.clear();
    r.item->popup_ = nullptr;
    items_.push_back(r.item);
  }
  for (const Row& r : rows) {
    if (r.parent) {
      r.parent->children_.push_back(r.item);
      if (!r.parent->popup_) r.parent->popup_ = ::CreatePopupMenu();
    }
  }
  for (const Row& r : rows) {
    if (!r.parent && !r.item->popup_) r.item->popup_ = ::CreatePopupMenu();  // an empty top-level menu
    HMENU into = r.parent ? r.parent->popup_ : bar_.Get();
    MENUITEMINFOA mi;
    std::string text;
    FillInfo(*r.item, mi, text);
    if (!r.item->visible_) continue;
    ::InsertMenuItemA(into, ::GetMenuItemCount(into), TRUE, &mi);
  }
}

bool MenuTree::Dispatch(UINT id) const {
  for (const MenuItem* item : items_) {
    if (item->id_ != id) continue;
    if (item->popup_ || item->IsSeparator()) return false;
    if (item->Click) item->Click();
    return true;
  }
  return false;
}

void MenuTree::Popup(const MenuItem& root, HWND owner, const MenuItem* defaultItem, const RECT* below) const {
  if (!root.popup_) return;
  ::SetMenuDefaultItem(root.popup_, defaultItem ? defaultItem->id_ : static_cast<UINT>(-1), FALSE);
  POINT pt{};
  ::GetCursorPos(&pt);
  TPMPARAMS exclude{};
  exclude.cbSize = sizeof exclude;
  UINT flags = TPM_RIGHTBUTTON | TPM_LEFTALIGN;
  if (below) {
    pt = POINT{below->left, below->bottom};
    exclude.rcExclude = *below;
    flags |= TPM_VERTICAL;
  }
  // The owner must be the foreground window, or the menu stays open when the
  // user clicks elsewhere; the posted WM_NULL lets a second popup work at once.
  ::SetForegroundWindow(owner);
  ::TrackPopupMenuEx(root.popup_, flags, pt.x, pt.y, owner, below ? &exclude : nullptr);
  ::PostMessageA(owner, WM_NULL, 0, 0);
}

}  // namespace forms
