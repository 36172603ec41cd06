// The program's settings: registry names, defaults, conversions, and the
// start-up paths derived from the environment.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ports.h"

namespace vd {

inline constexpr const char* kProgramKey = "SOFTWARE\\Tobrel's\\Vexa Desktop";
inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Vexa Desktop";
inline constexpr const char* kProgramFileName = "VD.exe";

// Values held while the program runs. Everything starts at zero or empty:
// a stored text that does not convert leaves its holder untouched.
struct Settings {
  std::uint8_t autoDecision = 0;
  std::uint8_t showDate = 0;
  std::uint8_t transparentIcons = 0;
  std::int32_t iconForeColor = 0;  // 0x00BBGGRR
  bool runAtStartup = false;
  std::uint8_t cyclingEnabled = 0;
  std::uint8_t recurseSubFolders = 0;
  std::uint8_t useGreyScale = 0;
  std::uint8_t showIcons = 0;
  std::string sortingType;  // kept as text, used as a number
  std::uint8_t randomOrder = 0;
  std::string hotModifier;  // kept as text, used as a number
  std::int16_t hotCombi = 0;
  std::uint8_t multipleMonitors = 0;  // 0: the same picture on every monitor; 1: a different one on each
  // The "Previous Wallpaper" key as stored (modifier set 0..7, key index);
  // -1 when none is stored and the change key's variant holds.
  std::int16_t previousHotFlags = -1;
  std::int16_t previousHotCombi = -1;
};

// Whole-number conversions of stored texts. Accept optional blanks, a sign,
// digits and a fraction (rounded half to even); nullopt when the text is not
// such a number or does not fit the target.
std::optional<std::uint8_t> ToByte(std::string_view text);
std::optional<std::int16_t> ToInt16(std::string_view text);
std::optional<std::int32_t> ToInt32(std::string_view text);

// A text setting used as a number (sort choice, hot-key modifier); -1 when
// it is not one.
int TextAsIndex(const std::string& text);

// Receives the two settings that live in list controls, so that setting them
// runs the controls' own selection handlers.
struct ListIndexSink {
  std::function<void(std::int16_t)> setStyleIndex;
  std::function<void(std::int16_t)> setCycleTimeIndex;
};

// Reads every setting in the stored order, with its default.
// True when a start-up command runs VD.exe (any folder, any letter case):
// the one test of whether VD starts with the system.
bool StartupCommandRunsProgram(std::string_view command);

void ReadSettingsFrom(RegistryPort& registry, Settings& settings, const ListIndexSink& lists);

struct StartupPaths {
  std::string tempFolder;           // no trailing backslash
  std::string appFolder;            // with a trailing backslash
  std::string wallpaperBitmapPath;  // tempFolder + "\Vexa Desktop.bmp"
  std::string defaultListPath;      // tempFolder + "\VDesk.ini"
  // The default list's second copy, out of reach of the clean-up tools that
  // empty the temporary folder: localAppData + "\Vexa Desktop\VDesk.ini";
  // "" when there is no such folder.
  std::string listCopyPath;
  // What was on the desktop, beside the list's copy:
  // localAppData + "\Vexa Desktop\History.txt"; "" without that folder.
  std::string historyPath;
};

std::string StripTrailingBackslashes(std::string text);
std::string WithTrailingBackslash(std::string folder);
StartupPaths MakeStartupPaths(const std::string& tempFolder, const std::string& programFolder,
                              const std::string& localAppDataFolder = std::string());

}  // namespace vd
