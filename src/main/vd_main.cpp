// VD: the wallpaper changer's entry point.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "engine/command_text.h"
#include "engine/wallpaper_list.h"
#include "forms/forms.h"
#include "main/program.h"
#include "platform/picture_loader.h"
#include "platform/process.h"

namespace {

void RunMessageLoop() {
  MSG msg;
  for (BOOL got; (got = ::GetMessageA(&msg, nullptr, 0, 0)) != 0;) {
    // -1: one message could not be fetched (a text sent from outside too
    // large to copy, say). That is no reason to end; the next one comes.
    if (got == -1) continue;
    if (forms::HandleDialogKeys(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Started from Explorer or the relay, the current folder may be any
  // folder of pictures or downloads; nothing is ever looked up there.
  platform::UseOwnFolderAsCurrent();

  // One VD per logon session: a second copy notices the first here and ends
  // itself once its main window loads.
  HANDLE running = ::CreateMutexA(nullptr, FALSE, "Local\\VexaDesktop.Running");
  const bool previousInstance = running && ::GetLastError() == ERROR_ALREADY_EXISTS;

  // Once per process, before any part exists and after the last is gone.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // Before any list is read: the system's codecs widen what the list takes.
  vd::SetSystemPictureExtensions(platform::SystemPictureExtensions());
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);

  {
    Program program;
    program.Start(vd::ArgumentsOfCommandLine(::GetCommandLineA()), previousInstance);
    RunMessageLoop();
  }
  ::CoUninitialize();
  if (running) ::CloseHandle(running);
  return 0;
}
