// Control identifiers of the dialogs and the example window. Other programs
// (the test harness among them) find controls by these numbers.
#pragma once

namespace ids {

// frmSettings
constexpr int chkOptionBase = 301;      // chkOption(0..6), the option check boxes
constexpr int chShowDate = 308;
constexpr int lblPBase = 309;  // lblP(1), lblP(2) at lblPBase + index
constexpr int IconCol = 312;
constexpr int lblExample = 313;
constexpr int fraSort = 314;     // "Sort wallpapers' list by"
constexpr int fraHotKey = 315;   // "Hot Key Selection"
constexpr int fraGeneral = 316;  // "General Settings"
constexpr int cmbMod = 317;
constexpr int cmbKey = 318;
constexpr int lblHot = 319;
constexpr int cmdHelpHotKey = 320;
constexpr int STypeBase = 321;  // SType(0), SType(1)
constexpr int sClicked = 323;
constexpr int cmdSave = 324;
constexpr int cmdCancel = 325;
constexpr int cmdApply = 326;
constexpr int fraMonitors = 327;      // "Multiple monitors"
constexpr int cmbPrevMod = 340;  // the "Previous Wallpaper" key's modifier set
constexpr int cmbPrevKey = 341;
constexpr int lblPrevHot = 342;
constexpr int optMonitorsBase = 328;  // optMonitors(0) same picture, optMonitors(1) a different one
constexpr int fraWatched = 350;       // "Watched folders"
constexpr int lstWatched = 351;       // one line a watched folder
constexpr int cmdStopWatching = 352;  // "Stop watching"

// frmTransIconEx
namespace example {
constexpr int opaqueIcon = 401;            // the opaque sample's icon
constexpr int transparentIcon = 402;       // the transparent sample's icon
constexpr int opaqueIconCover = 403;       // over opaqueIcon, its size
constexpr int transparentIconCover = 404;  // over transparentIcon, its size
constexpr int opaqueCaption = 405;         // the opaque sample's caption
constexpr int transparentCaption = 406;    // the transparent sample's caption
constexpr int opaqueHeading = 407;         // "NonTransparent Icon"
constexpr int transparentHeading = 408;    // "Transparent Icon"
}  // namespace example

// frmAbout
constexpr int lblProduct = 501;
constexpr int lblVersion = 502;
constexpr int imgProduct = 503;
constexpr int lblRights = 504;
constexpr int lblRights2 = 505;
constexpr int cmdSysInfo = 510;
constexpr int cmdWebsite = 511;
constexpr int cmdOK = 512;
constexpr int cmdHelp = 513;
constexpr int cmdTell = 514;
constexpr int cmdUpdate = 515;

}  // namespace ids
