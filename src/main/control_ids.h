// Control identifiers of VD's forms. Other programs (the test harness among
// them) find controls by these numbers.
#pragma once

namespace ids {

// frmWait
constexpr int lblPro = 101;
constexpr int Label2 = 102;

// frmMain
constexpr int Text1 = 201;
constexpr int lblTime = 202;
constexpr int lstTime = 203;
constexpr int lblStyle = 204;
constexpr int lstStyle = 205;
constexpr int imgList = 206;
constexpr int lblP0 = 209;
constexpr int lblP1 = 210;
constexpr int imgPreview = 211;
constexpr int ButtonsBase = 220;  // Buttons(0..4)
constexpr int imgMin = 230;
constexpr int imgClose = 231;
constexpr int SysTrayPic = 232;  // receives the notification icon's messages

// frmMenus: the menus' command ids; other programs post them as WM_COMMAND
// to the main window, as choosing the entry does.
constexpr int mnuSysTray = 300;
constexpr int mnuOpen = 301;
constexpr int mnuChange = 302;
constexpr int mnuSettings = 303;
constexpr int mnuBlank0 = 304;
constexpr int mnuScrSaver = 305;
constexpr int mnuBlank1 = 306;
constexpr int mnuDisable = 307;
constexpr int mnuExit = 308;
constexpr int mnuBlank2 = 309;
constexpr int mnuAbout = 310;
constexpr int mnuPrevious = 311;
constexpr int mnuShowPic = 315;
constexpr int mnuRemovePic = 316;
constexpr int mnuImage = 320;
constexpr int mnuSet = 321;
constexpr int mnuDel = 322;
constexpr int mnuB8 = 323;
constexpr int mnuEdit = 324;
constexpr int mnuBlank3 = 325;
constexpr int mnuPropImage = 326;
constexpr int mnuIB = 327;
constexpr int mnuIS = 328;
constexpr int mnuIBase = 329;  // mnuI(0..1): Location, Name
constexpr int mnuShowInFolder = 335;
constexpr int mnuAdd = 340;
constexpr int mnuAFiles = 341;
constexpr int mnuAFolder = 342;
constexpr int mnuSub = 350;
constexpr int mnuSSel = 351;
constexpr int mnuSAll = 352;
constexpr int mnuSDup = 353;
constexpr int mnuList = 360;
constexpr int mnuListSave = 361;
constexpr int mnuListLoad = 362;
constexpr int mnuLBBase = 363;  // mnuLB(0)
constexpr int mnuLSort = 364;
constexpr int mnuSBase = 365;  // mnuS(0..1): Location, Name

// Timers
constexpr int frmMainTimer1 = 1;
constexpr int frmMainRepaintTimer = 2;

}  // namespace ids
