// The desktop icons as the shell draws them: caption colours, and the icons
// shown or hidden as a whole.
#pragma once

#include <windows.h>

namespace vd {
struct Settings;
}
namespace vdapp {
class Lane;
}

// The list view in which the shell draws the desktop icons; null when the
// shell has none (another shell, or none at all).
HWND FindDesktopListView();

// Caption background (none, or the desktop colour when transparent captions
// are off) and caption text colour, given to the shell off the UI thread;
// the shell repaints them when it can. settings: "TransparentIcons" and
// "IconForeColor"; shell: the lane on which the shell is sent to.
void ApplyIconTextColours(const vd::Settings& settings, vdapp::Lane& shell);
// True when the list view took the text colour. Waits on the shell: not for
// the UI thread.
bool SetIconTextColours(HWND listView, COLORREF backColour, COLORREF textColour);

// Shows or hides every desktop icon, as the "ShowIcons" setting says.
void ShowHideDesktopIcons(const vd::Settings& settings);
// Shows the icons again if VD hid them: VD is ending, and nothing else would
// bring them back before the user signs out.
void ShowDesktopIconsAtEnd(const vd::Settings& settings);
