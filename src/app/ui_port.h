// What the model needs from the windows, without knowing them: the progress
// form, message boxes, the preview. The main program implements it; every
// call comes on the UI thread.
#pragma once

#include <string>

#include "base/required.h"
#include "engine/image.h"

namespace vdapp {

class UiPort {
 public:
  virtual ~UiPort() = default;
  // The progress form, up without taking the focus; an empty status keeps
  // its own text ("Changing Wallpaper...").
  virtual void ShowProgress(const std::string& status) = 0;
  virtual void CloseProgress() = 0;
  // Lets waiting messages run during a long command (painting, input); what
  // they ask for waits in the command core.
  virtual void LetMessagesRun() = 0;
  // A message box over the main window when it is open; the button pressed.
  virtual int Message(const std::string& text, unsigned flags, const std::string& title) = 0;
  // The preview picture's size in pixels at the main window's DPI.
  virtual void PreviewSize(int& width, int& height) = 0;
  virtual void ShowPreview(vd::Image preview) = 0;
  // Closes the style list if it is open, without taking that as a pick.
  virtual void CloseStyleList() = 0;
  // A new wallpaper is up: the desktop icons as the settings want them.
  virtual void WallpaperShown() = 0;
  virtual void ShowMainWindow() = 0;
  // Tells the user, once the message at hand has been handled, that the
  // default list file could not be read and changes stay unsaved.
  virtual void PostListNotSavedNotice() = 0;
  // A message box with text, shown once the message at hand has been
  // handled: nothing waits for the user to read it.
  virtual void PostNotice(const std::string& text, const std::string& title) = 0;
  // The watched folders changed (a load, a folder added, one no longer watched).
  virtual void WatchedFoldersChanged() = 0;
};

// How the parts below the windows reach them: bound once the forms exist,
// unbound before they go. ui().Message(...) reads as a call on the port;
// a call while unbound is a fault in the program's wiring and aborts.
class UiLink {
 public:
  void Bind(UiPort& port) { port_ = &port; }
  void Unbind() { port_ = nullptr; }
  UiPort& operator()() const { return base::Required(port_, "the windows' side (UiPort)"); }

 private:
  UiPort* port_ = nullptr;
};

}  // namespace vdapp
