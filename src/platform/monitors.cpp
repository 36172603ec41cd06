#include "platform/monitors.h"

#include <windows.h>

#include <versionhelpers.h>

namespace platform {

namespace {
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  reinterpret_cast<std::vector<vd::Monitor>*>(data)->push_back(
      {{r.left, r.top, r.right - r.left, r.bottom - r.top}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}
}  // namespace

std::vector<vd::Monitor> DisplayMonitors() {
  std::vector<vd::Monitor> monitors;
  if (!::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors))) monitors.clear();
  return monitors;
}

bool SystemSpansWallpapers() { return ::IsWindows8OrGreater(); }

}  // namespace platform
