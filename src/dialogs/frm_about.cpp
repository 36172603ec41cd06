#include "dialogs/frm_about.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "app/app_state.h"
#include "dialogs/dialog_ids.h"
#include "engine/ports.h"
#include "platform/process.h"
#include "platform/registry_store.h"

namespace {

constexpr const char* kMsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

std::string ProgramPath() {
  std::vector<char> buf(32768);
  DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  return std::string(buf.data(), n);
}

HFONT MakeFont(const char* face, int points, bool bold, UINT dpi) {
  LOGFONTA lf{};
  lf.lfHeight = -::MulDiv(points, static_cast<int>(dpi), 72);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  return ::CreateFontIndirectA(&lf);
}

void UseFont(const forms::Control& c, const base::GdiObject& font) {
  ::SendMessageA(c.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
}

// True when a file of exactly that name exists (no wildcards, no folders).
bool ProgramFileExists(const std::string& path) {
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::string ProgramVersionText() {
  const std::string path = ProgramPath();
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "Version";
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
      !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info || len < sizeof *info)
    return "Version";
  return "Version " + std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." + std::to_string(HIWORD(info->dwFileVersionLS));
}

std::string ProductPageAddress(const std::string& appFolder) {
  // The product site's base address is the program's own folder: the page
  // ships with the program, so it opens with no network and never goes stale.
  std::string base = appFolder;
  if (base.empty()) {
    base = ProgramPath();
    base.erase(base.find_last_of('\\') + 1);
  }
  return base + "Softwares\\VDesk.htm";
}

FrmAbout::FrmAbout(AppState& state) : state_(state) {
  cmdSysInfo.Click = [this] { cmdSysInfo_Click(); };
  cmdWebsite.Click = [this] { cmdWebsite_Click(); };
  cmdOK.Click = [this] { cmdOK_Click(); };
  // "Help", "Tell a friend" and "Check for update" have no action.
  imgProduct.Paint = [this](HDC dc, const RECT& rc) { PaintProduct(dc, rc); };
}

forms::Form::WindowDesign FrmAbout::Design() const {
  WindowDesign d;
  d.caption = "About: Vexa Desktop";
  d.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  d.dialogKeys = true;
  d.width = 380;
  d.height = 230;
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  d.x = work.left + ((work.right - work.left) - forms::Scale(d.width)) / 2;
  d.y = work.top + ((work.bottom - work.top) - forms::Scale(d.height)) / 3;
  return d;
}

void FrmAbout::CreateControls() {
  ::InitCommonControls();
  SetBackColor(RGB(255, 255, 255));
  imgProduct.Create(*this, ids::imgProduct, 16, 16, 64, 64);
  lblProduct.Create(*this, ids::lblProduct, "Vexa Desktop v1.1", 96, 20, 270, 28);
  lblVersion.Create(*this, ids::lblVersion, "Version x.x.x", 98, 52, 270, 16);
  lblRights.Create(*this, ids::lblRights, "Copyright (C) Tobrel's", 98, 84, 270, 16);
  lblRights2.Create(*this, ids::lblRights2, "All rights reserved.  Free to use and to share.", 98, 102, 270, 16);

  cmdHelp.Create(*this, ids::cmdHelp, "Help", 16, 150, 100, 26);
  cmdTell.Create(*this, ids::cmdTell, "Tell a friend", 140, 150, 100, 26);
  cmdUpdate.Create(*this, ids::cmdUpdate, "Check for update", 264, 150, 100, 26);
  cmdSysInfo.Create(*this, ids::cmdSysInfo, "System Info", 16, 190, 100, 26);
  cmdWebsite.Create(*this, ids::cmdWebsite, "Website", 140, 190, 100, 26);
  cmdOK.Create(*this, ids::cmdOK, "OK", 264, 190, 100, 26);
  UseFonts();
  // Enter and Esc both close the box; the focus starts on OK.
  SetDialogButtons(&cmdOK, &cmdOK, &cmdOK);
}

void FrmAbout::UseFonts() {
  titleFont_.Reset(MakeFont("Arial", 16, true, Dpi()));
  versionFont_.Reset(MakeFont("Verdana", 8, false, Dpi()));
  bodyFont_.Reset(MakeFont("Arial", 9, false, Dpi()));
  UseFont(lblProduct, titleFont_);
  for (const forms::Control* c : {&lblVersion, &lblRights, &lblRights2}) UseFont(*c, versionFont_);
  for (const forms::Control* c : {&cmdHelp, &cmdTell, &cmdUpdate, &cmdSysInfo, &cmdWebsite, &cmdOK}) UseFont(*c, bodyFont_);
}

void FrmAbout::Form_Load() { lblVersion.SetText(ProgramVersionText()); }

void FrmAbout::cmdSysInfo_Click() {
  AppState& a = state_;
  if (!a.registry) a.registry = std::make_unique<platform::RegistryStore>();
  const std::string path = a.registry->ReadValue(vd::Hive::LocalMachine, kMsInfoKey, "Path", "");
  if (ProgramFileExists(path) && platform::StartProgram(path, "\"" + path + "\"", SW_SHOWNORMAL)) return;
  forms::MsgBox("System Information Is Unavailable At This Time", MB_OK | MB_ICONSTOP, forms::kProgramTitle, Handle());
}

void FrmAbout::cmdWebsite_Click() {
  const std::string page = ProductPageAddress(state_.paths.appFolder);
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteA(Handle(), nullptr, page.c_str(), nullptr, "C:\\",
                                                                SW_SHOWNORMAL));
  if (result > 32) return;
  // A missing page, or no program for web pages.
  forms::MsgBox("The Vexa Desktop web page could not be opened:\r\n" + page, MB_OK | MB_ICONEXCLAMATION,
                forms::kProgramTitle, Handle());
}

void FrmAbout::cmdOK_Click() { Unload(); }

void FrmAbout::PaintProduct(HDC dc, const RECT& rc) {
  // The product picture: a small framed landscape, the program's subject.
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  auto fill = [&](int l, int t, int r, int b, COLORREF c) {
    RECT x{rc.left + l * w / 64, rc.top + t * h / 64, rc.left + r * w / 64, rc.top + b * h / 64};
    HBRUSH br = ::CreateSolidBrush(c);
    ::FillRect(dc, &x, br);
    ::DeleteObject(br);
  };
  fill(0, 0, 64, 64, RGB(255, 255, 255));
  fill(4, 8, 60, 52, RGB(46, 104, 170));   // frame
  fill(7, 11, 57, 49, RGB(135, 190, 235)); // sky
  fill(7, 36, 57, 49, RGB(70, 150, 80));   // meadow
  HBRUSH sun = ::CreateSolidBrush(RGB(250, 200, 60));
  HGDIOBJ old = ::SelectObject(dc, sun);
  HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  ::Ellipse(dc, rc.left + 38 * w / 64, rc.top + 15 * h / 64, rc.left + 50 * w / 64, rc.top + 27 * h / 64);
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, old);
  ::DeleteObject(sun);
  fill(16, 54, 48, 58, RGB(120, 120, 120)); // stand
}
