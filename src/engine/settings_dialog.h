// The settings dialog's rules that need no window: what it shows for the
// stored settings, and what Apply stores and does, in its order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/ports.h"
#include "engine/settings.h"

namespace vd {

inline constexpr std::int32_t kDefaultIconForeColor = 0xFFFFFF;  // white
inline constexpr int kDefaultHotModifier = 0;
inline constexpr int kDefaultHotCombi = 6;  // F7
inline constexpr int kSortChoices = 2;      // "Location", "Name"

// What the dialog's controls hold. Check boxes are 0 or 1.
struct SettingsDialogValues {
  int runAtStartup = 0;       // chkOption(0)
  int autoDecision = 0;       // chkOption(1)
  int transparentIcons = 0;   // chkOption(2)
  int showIcons = 0;          // chkOption(3)
  int recurseSubFolders = 0;  // chkOption(4)
  int useGreyScale = 0;       // chkOption(5)
  int randomOrder = 0;        // chkOption(6)
  int showDate = 0;           // chShowDate
  std::int32_t iconForeColor = kDefaultIconForeColor;
  int hotModifier = kDefaultHotModifier;  // cmbMod
  int hotCombi = kDefaultHotCombi;        // cmbKey
  int sortingType = 0;                    // SType
  int differentPictures = 0;              // optMonitors: 0 the same picture on every monitor, 1 a different one
};

// The dialog's selection for the stored settings. A stored index the lists
// or option buttons have no entry for, or a colour that is not 0x00BBGGRR,
// becomes its default; repaired says so, and which part it was.
struct LoadedDialogValues {
  SettingsDialogValues values;
  bool hotKeyRepaired = false;
  bool sortRepaired = false;
  bool colourRepaired = false;
};
LoadedDialogValues DialogValuesFrom(const Settings& settings);

// True for a colour in the 0x00BBGGRR form.
bool IsPlainColour(std::int32_t colour);
// The caption colour to use for a stored one: white when it is no colour.
std::int32_t IconColourOrDefault(std::int32_t colour);

// True when both indexes name an entry of the dialog's hot-key lists.
bool HotKeyChoiceValid(int modifierIndex, int keyIndex);

// The start-up entry's text: the program's path in double quotes (so that a
// folder with spaces cannot be misread). Switched off, the entry is deleted.
std::string StartupEntryText(const std::string& appFolder);

// What Apply does besides storing values, in the order it does them.
struct SettingsApplyActions {
  std::function<void()> applyHotKey;           // only when the hot key was picked again
  std::function<void()> checkSortMenus;
  std::function<void()> applyIconTextColours;  // on every Apply, so switching off restores the captions
  std::function<void()> showHideDesktopIcons;
};

// Copies the dialog's values into the settings, writes every one of them to
// the registry and runs the actions. A write that fails does not stop the rest.
void ApplySettingsDialog(const SettingsDialogValues& values, bool hotKeyChanged, const std::string& appFolder,
                         RegistryPort& registry, Settings& settings, const SettingsApplyActions& actions);

}  // namespace vd
