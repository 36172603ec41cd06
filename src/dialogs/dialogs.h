// The settings dialog and the About box, as the menus and the main window's
// buttons open them.
#pragma once

class FrmAbout;
class FrmSettings;

// Shows the settings dialog without waiting; false when it was not shown.
bool ShowSettingsDialog(FrmSettings& dialog);
// Shows the About box without waiting; false when it was not shown.
bool ShowAboutBox(FrmAbout& box);

#include <functional>

// What the settings dialog asks of the main program's windows, made after
// it (FrmSettings::Bind); both are required.
struct DialogHooks {
  std::function<void()> reopenMainWindow;  // after Settings closes, when it was open
  std::function<void()> checkSortMenus;    // the sort menus' check marks follow the setting
};
