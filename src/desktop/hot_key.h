// The global hot key: registered for the main window, it changes the
// wallpaper from anywhere, also while automatic changing is off.
#pragma once

// Registers the stored key (release = false, once at start) or gives it back
// (release = true, at Exit). A key that cannot be registered is reported with
// a question that offers the settings dialog.
void SetupHotKey(bool release);

// Drops the registered key and registers the stored one again, reporting the
// outcome. True when registration failed and the user asked to pick another key.
bool ApplyHotKey();

// The change a press of the key asks for.
void OnHotKey(int id);
