// Popup menus built from a table: each entry is a MenuItem whose caption,
// check mark and visibility change at run time through the menu API.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/handles.h"

namespace forms {

class MenuItem {
 public:
  MenuItem() = default;
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  UINT Id() const { return id_; }
  // The popup of a top-level menu or a submenu; null for a plain entry.
  HMENU Popup() const { return popup_; }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool Visible() const { return visible_; }
  // A hidden entry is taken out of its menu and put back at its place.
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  // A disabled entry is greyed and cannot be chosen.
  void SetEnabled(bool enabled);
  bool IsSeparator() const { return caption_ == "-"; }

  std::function<void()> Click;

 private:
  friend class MenuTree;
  void Apply();
  MenuItem* parent_ = nullptr;
  std::vector<MenuItem*> children_;
  HMENU popup_ = nullptr;
  UINT id_ = 0;
  std::string caption_;
  bool checked_ = false;
  bool visible_ = true;
  bool enabled_ = true;
};

// Owns the menus of one form: a menu bar whose top-level entries are the
// popup roots, and every entry below them.
class MenuTree {
 public:
  struct Row {
    MenuItem* item;
    MenuItem* parent;  // null for a top-level menu
    UINT id;
    const char* caption;
  };
  // Builds every menu; rows list parents before their children.
  void Build(const std::vector<Row>& rows);
  // Runs the Click of the entry with that command id; false when none has it.
  bool Dispatch(UINT id) const;
  // Pops up a top-level menu at the mouse for owner, with defaultItem in bold
  // (none when null); given a screen rectangle (a list entry's), below it
  // and never over it. The owner receives the chosen command as WM_COMMAND.
  void Popup(const MenuItem& root, HWND owner, const MenuItem* defaultItem, const RECT* below = nullptr) const;

 private:
  base::MenuHandle bar_;
  std::vector<MenuItem*> items_;
};

}  // namespace forms
