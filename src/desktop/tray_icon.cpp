#include "desktop/tray_icon.h"

#include <cstring>

namespace {

constexpr UINT kIconId = 1;
constexpr int kEnabledIconResource = 1;
constexpr int kDisabledIconResource = 2;

}  // namespace

void TrayIcon::Add(bool enabled) {
  data_ = {};
  data_.cbSize = sizeof data_;
  data_.hWnd = window_;
  data_.uID = kIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = WM_MOUSEMOVE;  // arrives as SysTrayPic's mouse move
  SetState(enabled);
  ::Shell_NotifyIconA(NIM_ADD, &data_);
}

void TrayIcon::Update(bool enabled) {
  if (!data_.hWnd) return;
  SetState(enabled);
  data_.uFlags = NIF_ICON | NIF_TIP;
  ::Shell_NotifyIconA(NIM_MODIFY, &data_);
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

void TrayIcon::Remove() {
  if (!data_.hWnd) return;
  ::Shell_NotifyIconA(NIM_DELETE, &data_);
}

HICON TrayIcon::Picture(bool enabled) {
  base::IconHandle& icon = enabled ? enabledIcon_ : disabledIcon_;
  if (!icon)
    icon.Reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                               MAKEINTRESOURCEA(enabled ? kEnabledIconResource : kDisabledIconResource),
                                               IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  return icon.Get();
}

void TrayIcon::SetState(bool enabled) {
  data_.hIcon = Picture(enabled);
  const char* tip = enabled ? "Vexa Desktop: Enabled" : "Vexa Desktop: Disabled";
  std::memset(data_.szTip, 0, sizeof data_.szTip);
  std::strncpy(data_.szTip, tip, sizeof data_.szTip - 1);
}

UINT TaskbarCreatedMessage() {
  // Registered once per process; the same number for every caller.
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}
