#include "dialogs/dialogs.h"

// Neither window exists in this program yet; until they do, the entries that
// open them leave everything as it is.
bool ShowSettingsDialog() { return false; }
bool ShowAboutBox() { return false; }
