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

// Timers
constexpr int frmWaitTimer1 = 1;
constexpr int frmMainTimer1 = 1;
constexpr int frmMainRepaintTimer = 2;

}  // namespace ids
