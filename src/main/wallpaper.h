// Changing the wallpaper: the next entry, the composition saved as the one
// wallpaper bitmap, and the system told to show it.
#pragma once

#include "engine/image.h"

// Picks the next entry (in order or at random), previews and applies it.
void NextWallpaper();
// Makes the selected entry the wallpaper in the selected style.
void ApplyWallpaper();
// Stamps today's calendar page in the top-right corner when the date is on.
void DrawDateOverlay(vd::ImageView canvas);
// The message box with the selected picture's file name, size and suggested style.
void ShowImageInfo();
// True while a wallpaper change runs; a change requested meanwhile is dropped.
bool WallpaperChangeRunning();
