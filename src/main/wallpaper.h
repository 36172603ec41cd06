// Changing the wallpaper: the next entry, the composition saved as the one
// wallpaper bitmap, and the system told to show it.
#pragma once

#include <string>

#include "engine/image.h"

// Picks the next entry (in order or at random), previews and applies it,
// with the progress form up; nothing while a change runs. For the cycle timer
// and start-up.
void NextWallpaper();
// The same for the user's hot key and "Change Wallpaper": one request gives
// one change, so a request made while a change runs, or queued while it ran,
// is dropped.
void RequestNextWallpaper();
// Makes the selected entry the wallpaper in the selected style.
void ApplyWallpaper();
// Stamps today's calendar page in the top-right corner when the date is on.
void DrawDateOverlay(vd::ImageView canvas);
// The message box with the selected picture's file name, size and suggested style.
void ShowImageInfo();

// True while a wallpaper change runs; a change requested meanwhile is dropped.
bool WallpaperChangeRunning();

// Tells the user in a message box why the picture at path cannot be used
// (too large, damaged, not a picture) and returns true; returns false, and
// shows nothing, when its header is sound. For commands that name one
// picture by hand: a double-click, Set as wallpaper, Properties, a click.
// decodeFailed: the picture was tried and could not be decoded; when its
// header says nothing against it, the box says it cannot be read.
// While a box about path is open, a second report for it shows nothing and
// returns true (the double-click that follows a click).
bool ReportPictureProblem(const std::string& path, bool decodeFailed = false);
