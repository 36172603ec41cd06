// Under Wine: the main window's skin drawn at 96 and 192 DPI and its region
// (one pass over the pixels) against the same region made pixel by pixel with
// GetPixel and one CombineRgn per run; then VD itself: start to icon, right
// click to menu, and private bytes when idle with icon and menus loaded.
// Usage: tray_winbench [VD.exe]. Prints figures; never run as a test.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/skin_region.h"
#include "process_window.h"
#include "main/skin_form.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// The straightforward way: GetPixel for every pixel test, a union per run.
HRGN PixelByPixelRegion(HDC dc, int w, int h) {
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  const COLORREF key = ::GetPixel(dc, 0, 0);
  for (int y = 0; y < h; ++y) {
    int x = 0;
    while (x < w) {
      while (x < w && ::GetPixel(dc, x, y) == key) ++x;
      if (x >= w) break;
      int start = x;
      while (x < w && ::GetPixel(dc, x, y) != key) ++x;
      HRGN run = ::CreateRectRgn(start, y, x, y + 1);
      ::CombineRgn(region, region, run, RGN_OR);
      ::DeleteObject(run);
    }
  }
  return region;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The main window's skin as VD draws it at dpi.
vd::Image Skin(UINT dpi) {
  auto at = [dpi](int units) { return ::MulDiv(units, static_cast<int>(dpi), 96); };
  return vd::DrawPanelSkin(at(440), at(262), {at(16), at(2), 0xFF00FF, 0x2E68AA, 0xECF0F5});
}

void RegionFigures() {
  HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (UINT dpi : {96u, 192u}) {
    std::vector<double> drawn, times, built;
    for (int i = 0; i < 30; ++i) {
      auto d0 = Clock::now();
      vd::Image skin = Skin(dpi);
      drawn.push_back(Ms(d0, Clock::now()));
    }
    const vd::Image skin = Skin(dpi);
    for (int i = 0; i < 30; ++i) {
      std::int32_t k = 0;
      auto b0 = Clock::now();
      ApplySkinRegion(nullptr, skin, k);  // made, not given to a window
      built.push_back(Ms(b0, Clock::now()));
    }
    for (int i = 0; i < 30; ++i) {
      std::int32_t key = 0;
      auto t0 = Clock::now();
      ApplySkinRegion(window, skin, key);
      times.push_back(Ms(t0, Clock::now()));
    }
    // Baseline: the same skin in a memory DC, read with GetPixel.
    const int w = skin.Width(), h = skin.Height();
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    ::SetDIBits(dc, dib, 0, static_cast<UINT>(h), skin.View().data, &bi, DIB_RGB_COLORS);
    HGDIOBJ old = ::SelectObject(dc, dib);
    auto t0 = Clock::now();
    HRGN slow = PixelByPixelRegion(dc, w, h);
    const double baseline = Ms(t0, Clock::now());
    // Both ways must give the same region.
    std::int32_t key = 0;
    ApplySkinRegion(window, skin, key);
    HRGN fast = ::CreateRectRgn(0, 0, 0, 0);
    ::GetWindowRgn(window, fast);
    const bool same = ::EqualRgn(fast, slow) != FALSE;
    ::DeleteObject(fast);
    ::DeleteObject(slow);
    ::SelectObject(dc, old);
    ::DeleteObject(dib);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    const double ms = Median(times);
    std::printf("skin %dx%d at %3u DPI: drawn %5.2f ms; region built %5.2f ms, built and set on the window %5.2f ms "
                "(GetPixel baseline %6.1f ms, %.0fx; same region: %s; target < 5 ms)\n",
                w, h, dpi, Median(drawn), Median(built), ms, baseline, baseline / ms, same ? "yes" : "NO");
  }
  ::DestroyWindow(window);
}

// VD's icon in the notification area: its green hill shows in the tray strip.
bool IconShows() {
  const int x0 = 860, y0 = 748, w = 164, h = 20;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(mem, dib);
  ::BitBlt(mem, 0, 0, w, h, screen, x0, y0, SRCCOPY);
  int green = 0;
  const auto* px = static_cast<const std::uint32_t*>(bits);
  for (int i = 0; i < w * h; ++i) {
    const int r = (px[i] >> 16) & 255, g = (px[i] >> 8) & 255, b = px[i] & 255;
    if (std::abs(r - 0x5A) < 24 && std::abs(g - 0x96) < 24 && std::abs(b - 0x50) < 24) ++green;
  }
  ::SelectObject(mem, old);
  ::DeleteObject(dib);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return green >= 8;
}

// Runs the mouse along the notification area: the shell drops the icon of
// a program that was ended without removing it.
void SweepTray() {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  for (int x = 1022; x >= 860; x -= 6) {
    in.mi.dx = x * 65535 / 1023;
    in.mi.dy = 758 * 65535 / 767;
    ::SendInput(1, &in, sizeof in);
    ::Sleep(5);
  }
  ::SetCursorPos(500, 300);
}

HWND PopupMenuShown() {
  HWND w = nullptr;
  while ((w = ::FindWindowExA(nullptr, w, "#32768", nullptr)) != nullptr)
    if (::IsWindowVisible(w)) return w;
  return nullptr;
}

void ProgramFigures(const std::string& vdExe) {
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  const std::string temp = std::string(tmp) + "vd-tray-bench";
  ::CreateDirectoryA(temp.c_str(), nullptr);
  ::SetEnvironmentVariableA("TEMP", temp.c_str());
  ::SetEnvironmentVariableA("TMP", temp.c_str());
  HKEY key = nullptr;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Tobrel's\\Vexa Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  ::RegSetValueExA(key, "Enabled VD", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);  // the green icon
  ::RegCloseKey(key);
  for (int i = 0; i < 5 && IconShows(); ++i) SweepTray();  // a stale icon of an ended copy
  if (IconShows()) {
    std::printf("an icon like VD's is in the notification area already; end that program first\n");
    return;
  }
  // Ten starts to the icon, each ended before the next; the median counts.
  std::vector<double> splashes, icons;
  for (int run = 0; run < 10; ++run) {
    std::string cmd = "\"" + vdExe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    auto t0 = Clock::now();
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      std::printf("cannot start %s\n", vdExe.c_str());
      return;
    }
    double splash = 0;
    while (!IconShows() && Ms(t0, Clock::now()) < 20000) {
      if (!splash && ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Please wait")) splash = Ms(t0, Clock::now());
      ::Sleep(2);
    }
    const double icon = Ms(t0, Clock::now());
    splashes.push_back(splash);
    icons.push_back(icon);
    std::printf("start %2d: splash %5.0f ms, icon %5.0f ms\n", run + 1, splash, icon);
    // Let the start finish its work (the list, the first change) before it ends.
    ::Sleep(1000);
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    auto gone = Clock::now();
    while (IconShows() && Ms(gone, Clock::now()) < 10000) SweepTray();
    ::Sleep(500);
  }
  std::printf("start to splash shown:           %7.0f ms median of 10\n", Median(splashes));
  std::printf("start to icon visible:           %7.0f ms median of 10 (best %.0f, worst %.0f; target < 1000 ms)\n",
              Median(icons), *std::min_element(icons.begin(), icons.end()),
              *std::max_element(icons.begin(), icons.end()));
  std::string cmd = "\"" + vdExe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  auto t0 = Clock::now();
  if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start %s\n", vdExe.c_str());
    return;
  }
  HWND main = nullptr;
  while (!(main = ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Vexa Desktop")) && Ms(t0, Clock::now()) < 20000) ::Sleep(5);
  while (ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Please wait") && Ms(t0, Clock::now()) < 20000) ::Sleep(5);
  ::Sleep(1500);
  HWND tray = ::GetDlgItem(main, 232);
  std::vector<double> times;
  for (int i = 0; i < 10; ++i) {
    auto t1 = Clock::now();
    ::PostMessageA(tray, WM_MOUSEMOVE, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    while (!(menu = PopupMenuShown()) && Ms(t1, Clock::now()) < 5000) ::Sleep(1);
    times.push_back(Ms(t1, Clock::now()));
    ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    while (PopupMenuShown() && Ms(t1, Clock::now()) < 5000) ::Sleep(1);
    ::Sleep(100);
  }
  std::printf("right click to menu shown:       %7.1f ms median (target < 100 ms)\n", Median(times));
  ::Sleep(2000);
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  ::GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  std::printf("idle private bytes, icon + menus: %6.1f MB (target < 40 MB)\n",
              static_cast<double>(pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1048576.0);
  ::TerminateProcess(pi.hProcess, 0);
  ::WaitForSingleObject(pi.hProcess, 5000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
  RegionFigures();
  if (argc > 1) ProgramFigures(argv[1]);
  return 0;
}
