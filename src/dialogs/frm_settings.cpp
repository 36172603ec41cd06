#include "dialogs/frm_settings.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "app/app_parts.h"
#include "base/required.h"
#include "desktop/desktop_icons.h"
#include "desktop/hot_key.h"
#include "dialogs/choose_colour.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/dialogs.h"
#include "dialogs/frm_trans_icon_ex.h"
#include "engine/hotkey_names.h"
#include "engine/settings_dialog.h"
#include "platform/registry_store.h"

namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 255);
constexpr const char* kTip = "Tip:  choose a combination           or a single key";
const char* const kOptionCaptions[7] = {
    " Put Vexa Desktop at System startup", " Let Vexa Desktop decide the style", " Make Desktop Icons transparent",
    " Show Desktop Icons",                 "Recurse folders while adding images",
    " Use Black && white wallpapers...artistic", " Randomize wallpapers",
};

// An eyedropper pointer for the colour swatch, drawn at run time: a slanted
// tube with a bulb, black with a white rim, hot spot at the tip.
HCURSOR MakeEyedropperCursor() {
  const int w = ::GetSystemMetrics(SM_CXCURSOR), h = ::GetSystemMetrics(SM_CYCURSOR);
  if (w < 16 || h < 16) return ::LoadCursorA(nullptr, IDC_CROSS);
  const int stride = ((w + 15) / 16) * 2;
  std::vector<BYTE> andMask(static_cast<std::size_t>(stride * h), 0xFF), xorMask(static_cast<std::size_t>(stride * h), 0);
  const double s = w / 32.0;
  // Distance from (x, y) to the tube's axis, from the tip (1, 30) to (22, 9), and to the bulb at (25, 6).
  auto inside = [&](double x, double y, double grow) {
    const double ax = 1 * s, ay = 30 * s, bx = 22 * s, by = 9 * s;
    double t = ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / ((bx - ax) * (bx - ax) + (by - ay) * (by - ay));
    t = std::clamp(t, 0.0, 1.0);
    double dx = x - (ax + t * (bx - ax)), dy = y - (ay + t * (by - ay));
    bool tube = std::sqrt(dx * dx + dy * dy) <= (0.6 + 2.2 * t) * s + grow;
    bool bulb = std::hypot(x - 25 * s, y - 6 * s) <= 4.5 * s + grow;
    return tube || bulb;
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::size_t byte = static_cast<std::size_t>(y * stride + x / 8);
      const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
      if (inside(x + 0.5, y + 0.5, 0)) {
        andMask[byte] &= static_cast<BYTE>(~bit);  // black
      } else if (inside(x + 0.5, y + 0.5, 1.2 * s)) {
        andMask[byte] &= static_cast<BYTE>(~bit);  // white rim
        xorMask[byte] |= bit;
      }
    }
  }
  HCURSOR c = ::CreateCursor(::GetModuleHandleA(nullptr), static_cast<int>(1 * s), static_cast<int>(30 * s), w, h,
                             andMask.data(), xorMask.data());
  return c ? c : ::LoadCursorA(nullptr, IDC_CROSS);
}

}  // namespace

FrmSettings::FrmSettings(vdapp::AppParts& parts, HotKey& hotKey, FrmTransIconEx& example)
    : parts_(parts), hotKey_(hotKey), example_(example) {
  for (int i = 0; i < 7; ++i) chkOption[i].Click = [this, i] { chkOption_Click(i); };
  chShowDate.Click = [this] { chShowDate_Click(); };
  for (int i = 0; i < 2; ++i) SType[i].Click = [this, i] { SType_Click(i); };
  for (auto& option : optMonitors) option.Click = [this] { optMonitors_Click(); };
  cmbKey.Click = [this] { cmbKey_Click(); };
  cmbMod.Click = [this] { cmbMod_Click(); };
  cmbPrevMod.Click = cmbPrevKey.Click = [this] { cmbPrev_Click(); };
  IconCol.Click = [this] { IconCol_Click(); };
  IconCol.Paint = [this](HDC dc, const RECT& rc) { PaintSwatch(dc, rc); };
  // From the keyboard: Tab reaches the swatch, Space opens the colour dialog.
  IconCol.GotFocus = IconCol.LostFocus = [this] { IconCol.Invalidate(); };
  IconCol.KeyDown = [this](int key, int shift) {
    if (key != VK_SPACE || shift != 0) return false;
    IconCol_Click();
    return true;
  };
  lblExample.Click = [this] { lblExample_Click(); };
  cmdHelpHotKey.Click = [this] { cmdHelpHotKey_Click(); };
  cmdApply.Click = [this] { cmdApply_Click(); };
  cmdSave.Click = [this] { cmdSave_Click(); };
  cmdCancel.Click = [this] { cmdCancel_Click(); };
  cmdStopWatching.Click = [this] { cmdStopWatching_Click(); };
  lstWatched.Click = [this] { cmdStopWatching.SetEnabled(lstWatched.ListIndex() >= 0); };
  MouseMove = [this](const forms::MouseArgs& m) { Form_MouseMove(m); };
}

forms::Form::WindowDesign FrmSettings::Design() const {
  WindowDesign d;
  d.caption = "Settings: Vexa Desktop v1.1";
  d.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  d.dialogKeys = true;
  d.width = 452;  // 6780 x 3930 twips
  d.height = 364;  // still whole on a 1024 x 768 screen at 192 DPI
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  d.x = work.left + ((work.right - work.left) - forms::Scale(d.width)) / 2;
  d.y = work.top + ((work.bottom - work.top) - forms::Scale(d.height)) / 3;
  return d;
}

void FrmSettings::CreateControls() {
  ::InitCommonControls();
  fraGeneral.Create(*this, ids::fraGeneral, "General Settings", 8, 6, 226, 214);
  int y = 24;
  for (int i = 0; i < 3; ++i, y += 20) chkOption[i].Create(*this, ids::chkOptionBase + i, kOptionCaptions[i], 16, y, 212, 18);
  lblP[1].Create(*this, ids::lblPBase + 1, " Icon foreColor", 34, y + 2, 78, 16);
  IconCol.Create(*this, ids::IconCol, 114, y, 36, 18);
  ::SetWindowLongA(IconCol.Handle(), GWL_STYLE, ::GetWindowLongA(IconCol.Handle(), GWL_STYLE) | WS_TABSTOP);
  lblExample.Create(*this, ids::lblExample, "Example", 162, y + 2, 50, 16);
  lblExample.SetColors(kLinkColour, std::nullopt);
  lblExample.SetCursor(::LoadCursorA(nullptr, IDC_HAND));
  y += 22;
  for (int i = 3; i < 7; ++i, y += 20) chkOption[i].Create(*this, ids::chkOptionBase + i, kOptionCaptions[i], 16, y, 212, 18);
  chShowDate.Create(*this, ids::chShowDate, " Show current date on the wallpaper", 16, y, 212, 18);

  // The change key, then the "Previous Wallpaper" key below it, each with
  // the keys it names.
  fraHotKey.Create(*this, ids::fraHotKey, "Hot Key Selection", 242, 6, 178, 170);
  cmbMod.Create(*this, ids::cmbMod, 250, 22, 64, 40);
  cmbKey.Create(*this, ids::cmbKey, 320, 22, 92, 40);
  lblHot.Create(*this, ids::lblHot, "Selected keys : ", 250, 64, 164, 15);
  cmbPrevMod.Create(*this, ids::cmbPrevMod, 250, 80, 64, 40);
  cmbPrevKey.Create(*this, ids::cmbPrevKey, 320, 80, 92, 40);
  lblPrevHot.Create(*this, ids::lblPrevHot, "Previous Wallpaper:", 250, 122, 164, 15);
  lblP[2].Create(*this, ids::lblPBase + 2, kTip, 250, 139, 168, 32);
  lblP[2].SetTransparentBack(true);  // the wrapped tip may reach over the frame's edge
  LayOutTip();
  cmdHelpHotKey.Create(*this, ids::cmdHelpHotKey, "?", 424, 12, 22, 22);

  fraSort.Create(*this, ids::fraSort, "Sort wallpapers' list by", 242, 180, 202, 42);
  SType[0].Create(*this, ids::STypeBase, "Location", 254, 198, 88, 18, true);
  SType[1].Create(*this, ids::STypeBase + 1, "Name", 352, 198, 84, 18, false);
  sClicked.Create(*this, ids::sClicked, "0", 470, 0, 20, 16);  // beyond the right edge: never seen

  fraMonitors.Create(*this, ids::fraMonitors, "Multiple monitors", 8, 226, 436, 44);
  optMonitors[0].Create(*this, ids::optMonitorsBase, "The same picture on every monitor", 16, 246, 206, 18, true);
  optMonitors[1].Create(*this, ids::optMonitorsBase + 1, "A different picture on each monitor", 228, 246, 212, 18, false);

  fraWatched.Create(*this, ids::fraWatched, "Watched folders", 8, 274, 436, 54);
  lstWatched.Create(*this, ids::lstWatched, 16, 290, 318, 34);
  cmdStopWatching.Create(*this, ids::cmdStopWatching, "Stop watching", 342, 292, 94, 24);

  cmdSave.Create(*this, ids::cmdSave, "OK", 256, 334, 60, 24);
  cmdCancel.Create(*this, ids::cmdCancel, "Cancel", 320, 334, 60, 24);
  cmdApply.Create(*this, ids::cmdApply, "Apply", 384, 334, 60, 24);
  // Tab follows the order of creation: the options top to bottom, the hot
  // key, the sort order, the monitors, then the buttons. Each group starts
  // an arrow-key group of its own; each set of option buttons is one group.
  const forms::Control* groupStarts[] = {&fraGeneral, &chkOption[0], &fraHotKey, &cmbMod, &cmbKey,
                                         &cmbPrevMod, &cmbPrevKey, &cmdHelpHotKey, &fraSort, &SType[0], &sClicked, &fraMonitors,
                                         &optMonitors[0], &fraWatched, &lstWatched, &cmdStopWatching, &cmdSave};
  for (const forms::Control* c : groupStarts)
    ::SetWindowLongA(c->Handle(), GWL_STYLE, ::GetWindowLongA(c->Handle(), GWL_STYLE) | WS_GROUP);
  SetDialogButtons(&cmdSave, &cmdCancel);

  if (!eyedropper_) eyedropper_ = MakeEyedropperCursor();
  IconCol.SetCursor(eyedropper_);
}

void FrmSettings::Bind(DialogHooks hooks) {
  base::Required(hooks.reopenMainWindow && hooks.checkSortMenus ? &hooks : nullptr, "every dialog hook");
  hooks_ = std::move(hooks);
}

const DialogHooks& FrmSettings::Hooks() const {
  return base::Required(hooks_.reopenMainWindow ? &hooks_ : nullptr, "the settings dialog's hooks");
}

void FrmSettings::Form_Load() {
  const vd::LoadedDialogValues loaded = vd::DialogValuesFrom(parts_.state.settings);
  const vd::SettingsDialogValues& v = loaded.values;
  const int checks[7] = {v.runAtStartup, v.autoDecision,  v.transparentIcons, v.showIcons,
                         v.recurseSubFolders, v.useGreyScale, v.randomOrder};
  for (int i = 0; i < 7; ++i) chkOption[i].SetValue(checks[i]);
  chShowDate.SetValue(v.showDate);
  SetIconColour(static_cast<COLORREF>(v.iconForeColor));
  lblP[1].SetEnabled(chkOption[2].Value() != 0);
  IconCol.SetEnabled(chkOption[2].Value() != 0);
  SType[v.sortingType].Select();
  optMonitors[v.differentPictures != 0 ? 1 : 0].Select();
  sClicked.SetText(std::to_string(v.sortingType));
  FillHotKeyLists(v.hotModifier, v.hotCombi);
  {
    const vd::FlagsHotKey previous = PreviousKeyChoice(parts_.state.settings);
    ShowPreviousKey(previous.flags, previous.key);
  }
  cmdApply.SetEnabled(false);
  hotKeyChanged_ = false;
  previousKeyChanged_ = false;
  // Stored values the dialog could not show as they are (an edited registry)
  // count as changes, so that OK or Apply stores what the dialog shows.
  if (loaded.hotKeyRepaired || loaded.sortRepaired || loaded.colourRepaired) cmdApply.SetEnabled(true);
  if (loaded.hotKeyRepaired) hotKeyChanged_ = true;
  anotherKeyWanted_ = false;
  ShowWatchedFolders();
}

void FrmSettings::ShowWatchedFolders() {
  // Shown anew while open too (a load, a folder added): the folder picked
  // stays picked while it is still watched.
  const int picked = lstWatched.ListIndex();
  const std::string pickedFolder =
      picked >= 0 && static_cast<std::size_t>(picked) < watchedShown_.size() ? watchedShown_[static_cast<std::size_t>(picked)] : std::string();
  lstWatched.Clear();
  watchedShown_.clear();
  int again = -1;
  for (const vd::WatchedFolder& w : parts_.state.watched.Folders()) {
    if (!pickedFolder.empty() && w.folder == pickedFolder) again = static_cast<int>(watchedShown_.size());
    lstWatched.AddItem(w.subfolders ? w.folder + "  (with subfolders)" : w.folder);
    watchedShown_.push_back(w.folder);
  }
  if (again >= 0) lstWatched.SetListIndex(again);
  cmdStopWatching.SetEnabled(again >= 0);
}

void FrmSettings::WatchedFoldersChanged() {
  if (Handle()) ShowWatchedFolders();
}

// Takes effect at once, as the list's own commands do; OK or Cancel do not undo it.
void FrmSettings::cmdStopWatching_Click() {
  const int i = lstWatched.ListIndex();
  if (i < 0 || static_cast<std::size_t>(i) >= watchedShown_.size()) return;
  const std::string folder = watchedShown_[static_cast<std::size_t>(i)];
  parts_.state.commands.Submit({"Stop watching", vdapp::CommandCore::Kind::Other, [this, folder] {
                                  const int answer =
                                      forms::MsgBox("Stop watching " + folder +
                                                        "?\n\nRemove this folder's pictures from the list too?",
                                                    MB_YESNOCANCEL | MB_ICONQUESTION, "Vexa Desktop", Handle());
                                  if (answer == IDCANCEL) return;
                                  parts_.watched.StopWatching(folder, answer == IDYES);
                                }});
}

void FrmSettings::LayOutTip() {
  // Two lines, the break after the run of spaces, at any DPI: the label is
  // exactly as wide as the first line in the window's font.
  const std::string tip = kTip;
  lblP[2].WrapAfter(tip.find_first_not_of(' ', tip.find("combination") + std::strlen("combination")));
  lblP[2].GrowToFitText();
}

void FrmSettings::OnDpiChanged() { LayOutTip(); }

void FrmSettings::FillHotKeyLists(int modifier, int key) {
  cmbMod.Clear();
  cmbKey.Clear();
  for (const std::string& t : vd::HotKeyModifierTexts()) cmbMod.AddItem(t);
  for (const std::string& t : vd::HotKeyKeyTexts()) cmbKey.AddItem(t);
  cmbKey.SetListIndex(key);
  cmbMod.SetListIndex(modifier);
}

bool FrmSettings::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_CLOSE) {
    // The title bar's close button is Cancel.
    cmdCancel_Click();
    result = 0;
    return true;
  }
  return false;
}

void FrmSettings::Form_MouseMove(const forms::MouseArgs& m) {
  if (m.button != forms::kLeftButton) return;
  // A drag on the bare dialog moves it, as its title bar would.
  ::ReleaseCapture();
  ::SendMessageA(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void FrmSettings::chkOption_Click(int index) {
  if (index == 0 && chkOption[0].Value() == 0) {
    if (forms::MsgBox("You should keep this option checked\r\nAre you sure?", MB_YESNO | MB_ICONQUESTION, "Sure?",
                      Handle()) == IDNO)
      chkOption[0].SetValue(1);
  }
  if (index == 2) {
    const bool on = chkOption[2].Value() != 0;
    lblP[1].SetEnabled(on);
    IconCol.SetEnabled(on);
    IconCol.Invalidate();
  }
  cmdApply.SetEnabled(true);
}

void FrmSettings::chShowDate_Click() { cmdApply.SetEnabled(true); }

void FrmSettings::optMonitors_Click() { cmdApply.SetEnabled(true); }

void FrmSettings::SType_Click(int index) {
  cmdApply.SetEnabled(true);
  sClicked.SetText(std::to_string(index));
}

void FrmSettings::cmbKey_Click() {
  cmdApply.SetEnabled(true);
  hotKeyChanged_ = true;
  lblHot.SetText("Selected keys:" + vd::HotKeyName(cmbMod.ListIndex(), cmbKey.ListIndex()));
  // A previous key never picked follows the change key.
  if (!previousKeyChanged_ && parts_.state.settings.previousHotFlags < 0) {
    const vd::FlagsHotKey k = vd::PreviousHotKey(-1, -1, cmbMod.ListIndex(), cmbKey.ListIndex());
    ShowPreviousKey(k.flags, k.key);
  }
}

void FrmSettings::cmbMod_Click() { cmbKey_Click(); }

void FrmSettings::ShowPreviousKey(int flags, int key) {
  base::ScopedFlag filling(fillingPrevious_);
  if (cmbPrevMod.ListCount() == 0) {
    for (const std::string& t : vd::HotKeyFlagsTexts()) cmbPrevMod.AddItem(t);
    for (const std::string& t : vd::HotKeyKeyTexts()) cmbPrevKey.AddItem(t);
  }
  cmbPrevMod.SetListIndex(flags);
  cmbPrevKey.SetListIndex(key);
  lblPrevHot.SetText("Previous Wallpaper:" + vd::HotKeyFlagsName(flags, key));
}

void FrmSettings::cmbPrev_Click() {
  if (fillingPrevious_) return;
  cmdApply.SetEnabled(true);
  previousKeyChanged_ = true;
  lblPrevHot.SetText("Previous Wallpaper:" + vd::HotKeyFlagsName(cmbPrevMod.ListIndex(), cmbPrevKey.ListIndex()));
}

void FrmSettings::SetIconColour(COLORREF c) {
  iconColour_ = c;
  IconCol.Invalidate();
}

void FrmSettings::PaintSwatch(HDC dc, const RECT& rc) {
  // The chosen colour in a thin frame; greyed out with the option off.
  const bool enabled = IconCol.Enabled();
  HBRUSH frame = ::CreateSolidBrush(::GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  ::FillRect(dc, &rc, frame);
  ::DeleteObject(frame);
  RECT inner{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
  HBRUSH fill = enabled ? ::CreateSolidBrush(iconColour_) : ::CreateHatchBrush(HS_DIAGCROSS, ::GetSysColor(COLOR_GRAYTEXT));
  if (!enabled) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  }
  ::FillRect(dc, &inner, fill);
  ::DeleteObject(fill);
  if (::GetFocus() == IconCol.Handle() &&
      !(::SendMessageA(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    RECT focus = rc;
    ::InflateRect(&focus, -2, -2);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &focus);
  }
}

void FrmSettings::IconCol_Click() {
  SetIconColour(ChooseColour(*this, iconColour_));
  cmdApply.SetEnabled(true);
  chkOption[6].SetFocus();
}

void FrmSettings::lblExample_Click() {
  FrmTransIconEx& ex = example_;
  const bool opening = !ex.Loaded();
  ex.Show();
  if (opening) {
    // Beside the dialog, on the screen.
    RECT dlg{}, own{}, work{};
    ::GetWindowRect(Handle(), &dlg);
    ::GetWindowRect(ex.Handle(), &own);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int w = own.right - own.left, h = own.bottom - own.top;
    int x = dlg.right + 8 + w <= work.right ? dlg.right + 8 : std::max<int>(work.left, dlg.left - 8 - w);
    int y = std::clamp<int>(dlg.top, work.top, std::max<int>(work.top, work.bottom - h));
    ::SetWindowPos(ex.Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ex.SetSampleTextColour(iconColour_);
}

void FrmSettings::cmdHelpHotKey_Click() {
  const vd::Settings& s = parts_.state.settings;
  forms::MsgBox("You can select a Hot Key using which you can change the wallpaper at any time\r\n"
                "Your current Hot Key is '" +
                    vd::HotKeyName(vd::TextAsIndex(s.hotModifier), s.hotCombi) + "'",
                MB_OK | MB_ICONINFORMATION, forms::kProgramTitle, Handle());
}

void FrmSettings::cmdApply_Click() {
  if (applying_) return;  // the hot-key message box lets a second click through
  base::ScopedFlag busy(applying_);
  AppState& a = parts_.state;
  vd::SettingsDialogValues v;
  v.runAtStartup = chkOption[0].Value();
  v.autoDecision = chkOption[1].Value();
  v.transparentIcons = chkOption[2].Value();
  v.showIcons = chkOption[3].Value();
  v.recurseSubFolders = chkOption[4].Value();
  v.useGreyScale = chkOption[5].Value();
  v.randomOrder = chkOption[6].Value();
  v.showDate = chShowDate.Value();
  v.iconForeColor = static_cast<std::int32_t>(iconColour_);
  v.hotModifier = std::max(cmbMod.ListIndex(), 0);
  v.hotCombi = std::max(cmbKey.ListIndex(), 0);
  const int sort = vd::TextAsIndex(sClicked.Text());
  v.sortingType = sort >= 0 && sort < vd::kSortChoices ? sort : 0;
  v.differentPictures = optMonitors[1].Value();

  vd::SettingsApplyActions actions;
  anotherKeyWanted_ = false;
  actions.applyHotKey = [this] { anotherKeyWanted_ = hotKey_.Apply(); };
  // A new sort choice orders the list now, as the menus' entries do.
  actions.checkSortMenus = [this, &a, before = a.settings.sortingType] {
    Hooks().checkSortMenus();
    if (a.settings.sortingType != before)
      a.commands.Submit({"Sort By", vdapp::CommandCore::Kind::Other, [this] { parts_.lists.SortList(); }});
  };
  actions.applyIconTextColours = [this] { ApplyIconTextColours(parts_.state.settings, parts_.background.Shell()); };
  actions.showHideDesktopIcons = [this] { ShowHideDesktopIcons(parts_.state.settings); };
  if (!a.registry) a.registry = std::make_unique<platform::RegistryStore>();
  const bool previousPicked = previousKeyChanged_ && cmbPrevMod.ListIndex() >= 0 && cmbPrevKey.ListIndex() >= 0;
  if (previousPicked) {
    a.settings.previousHotFlags = static_cast<std::int16_t>(cmbPrevMod.ListIndex());
    a.settings.previousHotCombi = static_cast<std::int16_t>(cmbPrevKey.ListIndex());
    a.WriteProgramValue("Previous Hot Modifiers", std::to_string(a.settings.previousHotFlags));
    a.WriteProgramValue("Previous Hot Combi", std::to_string(a.settings.previousHotCombi));
  }
  previousKeyChanged_ = false;
  vd::ApplySettingsDialog(v, hotKeyChanged_, a.paths.appFolder, *a.registry, a.settings, actions);
  // The change key's registration takes the previous key with it.
  if (previousPicked && !hotKeyChanged_ && hotKey_.ApplyPrevious()) anotherKeyWanted_ = true;

  if (!Loaded()) return;
  cmdApply.SetEnabled(false);
  hotKeyChanged_ = false;
  cmdCancel.SetFocus();
}

void FrmSettings::cmdSave_Click() {
  if (cmdApply.Enabled()) cmdApply_Click();
  // The user asked to pick another key after a failed registration: stay open.
  if (anotherKeyWanted_) {
    anotherKeyWanted_ = false;
    return;
  }
  cmdCancel_Click();
}

void FrmSettings::cmdCancel_Click() {
  if (parts_.state.mainWindowOpen) Hooks().reopenMainWindow();
  Unload();
  example_.Unload();
}
