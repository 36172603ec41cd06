// VD's one owner: made in WinMain, it owns every part of the running
// program in the order they are made, and ends them in reverse. Members
// are made top to bottom, so the order below is the program's order.
#pragma once

#include <string>

#include "app/app_parts.h"
#include "desktop/hot_key.h"
#include "desktop/tray_icon.h"
#include "dialogs/frm_about.h"
#include "dialogs/frm_settings.h"
#include "dialogs/frm_trans_icon_ex.h"
#include "main/frm_main.h"
#include "main/frm_menus.h"
#include "main/frm_wait.h"
#include "main/vd_forms.h"

class Program {
 public:
  Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // The command line as the system passed it, and whether another VD ran
  // when this one started.
  void Start(std::string commandLine, bool previousInstance);

 private:
  // State, lanes with their mailbox, list writer, picture worker: ended last,
  // after every window that could still ask them for something.
  vdapp::AppParts parts_;
  // The key and the icon: given back and taken away when they go, should
  // Exit not have done so.
  HotKey hotKey_;
  TrayIcon tray_;
  // The forms, each loaded when first needed, the dialogs before the forms
  // that open them; their windows go before the parts, so no result is
  // delivered to a window that is gone.
  FrmWait wait_;
  FrmTransIconEx transIconEx_;
  FrmSettings settings_;
  FrmAbout about_;
  FrmMenus menus_;
  FrmMain main_;
  // The model's way to the windows; unbound before the forms go.
  FormsUi ui_;
};
