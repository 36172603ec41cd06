// The settings dialog and the About box, as the menus and the main window's
// buttons open them.
#pragma once

// Shows the settings dialog without waiting; false when it was not shown.
bool ShowSettingsDialog();
// Shows the About box without waiting; false when it was not shown.
bool ShowAboutBox();
