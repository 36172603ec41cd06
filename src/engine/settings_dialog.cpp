#include "engine/settings_dialog.h"

#include "engine/hotkey_names.h"

namespace vd {

namespace {

int Flag(std::uint8_t v) { return v != 0 ? 1 : 0; }

}  // namespace

bool IsPlainColour(std::int32_t colour) { return colour >= 0 && colour <= 0xFFFFFF; }

std::int32_t IconColourOrDefault(std::int32_t colour) {
  return IsPlainColour(colour) ? colour : kDefaultIconForeColor;
}

bool HotKeyChoiceValid(int modifierIndex, int keyIndex) {
  return modifierIndex >= 0 && modifierIndex < kHotModifierCount && keyIndex >= 0 && keyIndex < kHotKeyCount;
}

LoadedDialogValues DialogValuesFrom(const Settings& s) {
  LoadedDialogValues out;
  SettingsDialogValues& v = out.values;
  v.runAtStartup = s.runAtStartup ? 1 : 0;
  v.autoDecision = Flag(s.autoDecision);
  v.transparentIcons = Flag(s.transparentIcons);
  v.showIcons = Flag(s.showIcons);
  v.recurseSubFolders = Flag(s.recurseSubFolders);
  v.useGreyScale = Flag(s.useGreyScale);
  v.randomOrder = Flag(s.randomOrder);
  v.showDate = Flag(s.showDate);

  v.iconForeColor = IconColourOrDefault(s.iconForeColor);
  out.colourRepaired = v.iconForeColor != s.iconForeColor;

  const int modifier = TextAsIndex(s.hotModifier);
  if (HotKeyChoiceValid(modifier, s.hotCombi)) {
    v.hotModifier = modifier;
    v.hotCombi = s.hotCombi;
  } else {
    // The pair is one choice: when either part is unusable, offer the default key.
    v.hotModifier = kDefaultHotModifier;
    v.hotCombi = kDefaultHotCombi;
    out.hotKeyRepaired = true;
  }

  const int sort = TextAsIndex(s.sortingType);
  v.sortingType = sort >= 0 && sort < kSortChoices ? sort : 0;
  out.sortRepaired = v.sortingType != sort;
  v.differentPictures = s.multipleMonitors == 1 ? 1 : 0;
  return out;
}

std::string StartupEntryText(const std::string& appFolder) { return "\"" + appFolder + kProgramFileName + "\""; }

void ApplySettingsDialog(const SettingsDialogValues& v, bool hotKeyChanged, const std::string& appFolder,
                         RegistryPort& registry, Settings& s, const SettingsApplyActions& actions) {
  auto flag = [](int value) { return static_cast<std::uint8_t>(value != 0 ? 1 : 0); };
  auto write = [&](const char* name, const std::string& value) {
    registry.WriteValue(Hive::CurrentUser, kProgramKey, name, value);
  };
  auto text = [](int value) { return std::to_string(value != 0 ? 1 : 0); };

  s.runAtStartup = v.runAtStartup != 0;
  s.autoDecision = flag(v.autoDecision);
  s.transparentIcons = flag(v.transparentIcons);
  s.showIcons = flag(v.showIcons);
  s.recurseSubFolders = flag(v.recurseSubFolders);
  s.useGreyScale = flag(v.useGreyScale);
  s.randomOrder = flag(v.randomOrder);
  s.showDate = flag(v.showDate);

  if (s.runAtStartup) {
    registry.WriteValue(Hive::CurrentUser, kRunKey, kRunValueName, StartupEntryText(appFolder));
  } else {
    // Off: our own entry goes (older versions left "xxx" there, which the
    // system tries to run at every logon); a value that is not ours was
    // never written by the option and is left alone.
    const std::string stored = registry.ReadValue(Hive::CurrentUser, kRunKey, kRunValueName, "");
    if (stored == "xxx" || StartupCommandRunsProgram(stored))
      registry.DeleteValue(Hive::CurrentUser, kRunKey, kRunValueName);
  }

  write("ShowDate", text(v.showDate));
  write("Auto Decision", text(v.autoDecision));
  write("Transparent Icon", text(v.transparentIcons));
  write("showIcons", text(v.showIcons));
  write("Recurse SubFolders", text(v.recurseSubFolders));
  write("Use GreyScale", text(v.useGreyScale));
  write("Randomize", text(v.randomOrder));
  s.multipleMonitors = flag(v.differentPictures);
  write("Multiple Monitors", text(v.differentPictures));

  s.hotModifier = std::to_string(v.hotModifier);
  s.hotCombi = static_cast<std::int16_t>(v.hotCombi);
  write("Hot Modifier", std::to_string(v.hotModifier));
  write("Hot Combi", std::to_string(v.hotCombi));
  if (hotKeyChanged && actions.applyHotKey) actions.applyHotKey();

  s.iconForeColor = v.iconForeColor;
  write("Icon ForeGround", std::to_string(v.iconForeColor));

  s.sortingType = std::to_string(v.sortingType);
  write("SortingType", s.sortingType);
  if (actions.checkSortMenus) actions.checkSortMenus();

  if (actions.applyIconTextColours) actions.applyIconTextColours();
  if (actions.showHideDesktopIcons) actions.showHideDesktopIcons();
}

}  // namespace vd
