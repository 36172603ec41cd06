#include "engine/settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vd {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Parses [blanks][sign]digits[.digits][blanks] and rounds half to even.
std::optional<double> ParseRounded(std::string_view text) {
  std::size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (n > i && IsBlank(text[n - 1])) --n;
  std::string_view t = text.substr(i, n - i);
  if (t.empty() || t.size() > 40) return std::nullopt;
  std::size_t p = 0;
  if (t[p] == '+' || t[p] == '-') ++p;
  std::size_t digits = 0;
  while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++digits;
  if (p < t.size() && t[p] == '.') {
    ++p;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++digits;
  }
  if (digits == 0 || p != t.size()) return std::nullopt;
  double value = std::strtod(std::string(t).c_str(), nullptr);
  return std::nearbyint(value);  // default rounding mode: half to even
}

template <typename T>
std::optional<T> ToWhole(std::string_view text) {
  auto v = ParseRounded(text);
  if (!v || *v < static_cast<double>(std::numeric_limits<T>::min()) ||
      *v > static_cast<double>(std::numeric_limits<T>::max()))
    return std::nullopt;
  return static_cast<T>(*v);
}

}  // namespace

std::optional<std::uint8_t> ToByte(std::string_view text) { return ToWhole<std::uint8_t>(text); }
std::optional<std::int16_t> ToInt16(std::string_view text) { return ToWhole<std::int16_t>(text); }
std::optional<std::int32_t> ToInt32(std::string_view text) { return ToWhole<std::int32_t>(text); }

int TextAsIndex(const std::string& text) {
  auto v = ToInt16(text);
  return v ? *v : -1;
}

bool StartupCommandRunsProgram(std::string_view command) {
  // The program is the quoted first part, or else the text up to the first
  // ".exe" that ends a word.
  std::string_view program;
  if (!command.empty() && command.front() == '"') {
    const std::size_t close = command.find('"', 1);
    program = command.substr(1, close == std::string_view::npos ? close : close - 1);
  } else {
    std::string lower(command);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t end = std::string::npos;
    for (std::size_t at = lower.find(".exe"); at != std::string::npos; at = lower.find(".exe", at + 1)) {
      if (at + 4 == lower.size() || lower[at + 4] == ' ') {
        end = at + 4;
        break;
      }
    }
    program = command.substr(0, end == std::string::npos ? command.find(' ') : end);
  }
  const std::size_t slash = program.find_last_of("\\/");
  const std::string_view name = slash == std::string_view::npos ? program : program.substr(slash + 1);
  const std::string_view own = kProgramFileName;
  return name.size() == own.size() && std::equal(name.begin(), name.end(), own.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

void ReadSettingsFrom(RegistryPort& registry, Settings& s, const ListIndexSink& lists) {
  const Hive hkcu = Hive::CurrentUser;
  auto read = [&](const char* key, const char* name, const char* def) {
    return registry.ReadValue(hkcu, key, name, def);
  };
  auto readByte = [&](const char* name, const char* def, std::uint8_t& target) {
    if (auto v = ToByte(read(kProgramKey, name, def))) target = *v;
  };

  if (auto v = ToInt16(read(kDesktopKey, "WallpaperStyle", "0")); v && lists.setStyleIndex) lists.setStyleIndex(*v);
  if (auto v = ToInt16(read(kProgramKey, "Wallpaper Cycle Time", "0")); v && lists.setCycleTimeIndex)
    lists.setCycleTimeIndex(*v);
  readByte("Auto Decision", "1", s.autoDecision);
  readByte("ShowDate", "1", s.showDate);
  readByte("Transparent Icon", "1", s.transparentIcons);
  if (auto v = ToInt32(read(kProgramKey, "Icon ForeGround", "16777215"))) s.iconForeColor = *v;
  s.runAtStartup = StartupCommandRunsProgram(read(kRunKey, kRunValueName, ""));
  readByte("Enabled VD", "1", s.cyclingEnabled);
  readByte("Recurse SubFolders", "1", s.recurseSubFolders);
  readByte("Use GreyScale", "0", s.useGreyScale);
  readByte("ShowIcons", "1", s.showIcons);
  s.sortingType = read(kProgramKey, "SortingType", "0");
  readByte("Randomize", "1", s.randomOrder);
  s.hotModifier = read(kProgramKey, "Hot Modifier", "0");
  if (auto v = ToInt16(read(kProgramKey, "Hot Combi", "6"))) s.hotCombi = *v;
  if (auto v = ToInt16(read(kProgramKey, "Previous Hot Modifiers", "-1"))) s.previousHotFlags = *v;
  if (auto v = ToInt16(read(kProgramKey, "Previous Hot Combi", "-1"))) s.previousHotCombi = *v;
  // Anything but "1" (absent, unknown, garbage) is the same picture everywhere.
  const auto monitors = ToByte(read(kProgramKey, "Multiple Monitors", "0"));
  s.multipleMonitors = monitors && *monitors == 1 ? 1 : 0;
}

std::string StripTrailingBackslashes(std::string text) {
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

std::string WithTrailingBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
  return folder;
}

StartupPaths MakeStartupPaths(const std::string& tempFolder, const std::string& programFolder,
                              const std::string& localAppDataFolder) {
  StartupPaths p;
  p.tempFolder = StripTrailingBackslashes(tempFolder);
  p.appFolder = WithTrailingBackslash(programFolder);
  p.wallpaperBitmapPath = p.tempFolder + "\\Vexa Desktop.bmp";
  p.defaultListPath = p.tempFolder + "\\VDesk.ini";
  const std::string local = StripTrailingBackslashes(localAppDataFolder);
  if (!local.empty()) {
    p.listCopyPath = local + "\\Vexa Desktop\\VDesk.ini";
    p.historyPath = local + "\\Vexa Desktop\\History.txt";
  }
  return p;
}

}  // namespace vd
