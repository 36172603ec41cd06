#include "desktop/tray_icon.h"

#include <shellapi.h>

#include <cstring>

#include "app/app_state.h"
#include "base/handles.h"

namespace {

HWND iconWindow = nullptr;
constexpr UINT kIconId = 1;
constexpr int kEnabledIconResource = 1;
constexpr int kDisabledIconResource = 2;

// The one record of the icon; the destructor takes the icon away should the
// program end without doing so itself.
class TrayIcon {
 public:
  ~TrayIcon() { Remove(); }

  void Add(bool enabled) {
    data_ = {};
    data_.cbSize = sizeof data_;
    data_.hWnd = iconWindow;
    data_.uID = kIconId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = WM_MOUSEMOVE;  // arrives as SysTrayPic's mouse move
    SetState(enabled);
    ::Shell_NotifyIconA(NIM_ADD, &data_);
  }

  void Update(bool enabled) {
    if (!data_.hWnd) return;
    SetState(enabled);
    data_.uFlags = NIF_ICON | NIF_TIP;
    ::Shell_NotifyIconA(NIM_MODIFY, &data_);
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  }

  void Remove() {
    if (!data_.hWnd) return;
    ::Shell_NotifyIconA(NIM_DELETE, &data_);
  }

  HICON Picture(bool enabled) {
    IconHandle& icon = enabled ? enabledIcon_ : disabledIcon_;
    if (!icon)
      icon.Reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                 MAKEINTRESOURCEA(enabled ? kEnabledIconResource : kDisabledIconResource),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    return icon.Get();
  }

 private:
  using IconHandle = base::IconHandle;

  void SetState(bool enabled) {
    data_.hIcon = Picture(enabled);
    const char* tip = enabled ? "Vexa Desktop: Enabled" : "Vexa Desktop: Disabled";
    std::memset(data_.szTip, 0, sizeof data_.szTip);
    std::strncpy(data_.szTip, tip, sizeof data_.szTip - 1);
  }

  NOTIFYICONDATAA data_{};
  IconHandle enabledIcon_, disabledIcon_;
};

TrayIcon& Tray() {
  static TrayIcon tray;
  return tray;
}

}  // namespace

HICON TrayIconPicture(bool enabled) { return Tray().Picture(enabled); }

void SetTrayIconWindow(HWND window) { iconWindow = window; }

void AddTrayIcon() { Tray().Add(app().settings.cyclingEnabled != 0); }

void UpdateTrayIcon(bool enabled) { Tray().Update(enabled); }

void RemoveTrayIcon() { Tray().Remove(); }

UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}
