// A small forms-and-controls layer over Win32: a Form owns its top-level
// window, its controls are real child windows, and events are plain
// std::function slots bound by the form that owns the control.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace forms {

inline constexpr const char* kFormClass = "ThunderRT6FormDC";
inline constexpr const char* kTextBoxClass = "ThunderRT6TextBox";
inline constexpr const char* kProgramTitle = "Vexa Desktop";

// Mouse buttons as the event arguments number them.
enum MouseButton { kNoButton = 0, kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

struct MouseArgs {
  int button = 0;  // the button that changed (down/up) or is held (move)
  int shift = 0;   // 1 shift, 2 ctrl, 4 alt
  int x = 0;       // client pixels
  int y = 0;
};

using Handler = std::function<void()>;
using MouseHandler = std::function<void(const MouseArgs&)>;

class Form;

// 96-DPI layout units to device pixels at the system's DPI, for sizes
// needed before a form's window exists; a form lays itself out with
// Form::Scale, at its own window's DPI.
int Scale(int units);
// The system's DPI, and the DPI a window is shown at (its monitor's where the
// system scales per monitor; the system's where it cannot tell).
UINT SystemDpi();
UINT WindowDpi(HWND window);

// Lets the dialog-like form that owns msg's window handle its keyboard
// interface (Tab, Enter, Esc, Alt+letter); true when the message was used.
// Every message loop calls it before TranslateMessage.
bool HandleDialogKeys(MSG& msg);

// Lets pending window messages run (timer ticks, paints, input).
void DoEvents();

// A message box owned by the program's active form; the title defaults to the program's.
int MsgBox(const std::string& text, UINT flags, const std::string& title = kProgramTitle, HWND owner = nullptr);

// The font every control uses, at the system's DPI and at a given DPI.
HFONT DefaultFont();
HFONT MessageFont(UINT dpi);

class Control {
 public:
  Control() = default;
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND Handle() const { return hwnd_; }
  int Id() const { return id_; }
  std::string Text() const;
  void SetText(const std::string& text);
  bool Visible() const;
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  void Move(int x, int y, int width, int height);  // layout units
  void SetFocus();
  void BringToFront();
  // Colours; a back colour of nullopt uses the form's.
  void SetColors(std::optional<COLORREF> fore, std::optional<COLORREF> back);
  // Text drawn straight onto what lies beneath (labels only).
  void SetTransparentBack(bool on);
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }
  HCURSOR Cursor() const { return cursor_; }

  MouseHandler MouseDown, MouseUp, MouseMove;
  Handler GotFocus, LostFocus;
  // A key pressed while the control has the focus (a virtual-key code and
  // 1 shift, 2 ctrl, 4 alt); true when the handler used it, and the control
  // then never sees it.
  std::function<bool(int keyCode, int shift)> KeyDown;
  // The context-menu key or Shift+F10.
  Handler MenuKey;

 protected:
  friend class Form;
  bool CreateChild(Form& owner, const char* windowClass, const std::string& text, DWORD style, DWORD exStyle,
                   int id, int x, int y, int width, int height);
  virtual void OnCommand(int /*notifyCode*/) {}
  virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  virtual bool OnSubclassMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Detach() { hwnd_ = nullptr; }

  HWND hwnd_ = nullptr;
  Form* owner_ = nullptr;
  int id_ = 0;
  struct Layout {
    int x = 0, y = 0, width = 0, height = 0;
  };
  Layout units_;  // where the form put the control, in 96-DPI units; redone when the DPI changes
  std::optional<COLORREF> fore_, back_;
  HBRUSH backBrush_ = nullptr;
  bool transparentBack_ = false;
  HCURSOR cursor_ = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
};

class Label : public Control {
 public:
  bool Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height, DWORD extraStyle = 0);
  // Makes a wrapping label tall enough for every line of its text in its font:
  // at another DPI the text can wrap into more lines than the layout allowed for.
  void GrowToFitText();
  // Makes the label exactly as wide as its text's first `chars` characters,
  // so that a wrapping label breaks its first line there whatever the font's
  // size; GrowToFitText then gives it the height of its lines.
  void WrapAfter(std::size_t chars);
  Handler Click;

 protected:
  void OnCommand(int code) override;
};

class Button : public Control {
 public:
  bool Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height);
  Handler Click;

 protected:
  void OnCommand(int code) override;
};

class CheckBox : public Control {
 public:
  bool Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height);
  int Value() const;          // 0 unchecked, 1 checked
  void SetValue(int value);   // runs Click when the value changes
  Handler Click;

 protected:
  void OnCommand(int code) override;
};

class ListBox : public Control {
 public:
  bool Create(Form& owner, int id, int x, int y, int width, int height, bool visible = true);
  int AddItem(const std::string& text);
  bool RemoveItem(int index);
  void Clear();
  int ListCount() const;
  std::string List(int index) const;
  int ListIndex() const;
  // Selects an entry (-1 for none) and runs Click as a user's choice would;
  // false, and nothing changes, when the index names no entry.
  bool SetListIndex(int index);
  void SetRedraw(bool on);
  // Makes the list exactly as tall as its entries, border included.
  void FitHeightToItems();
  // The entry under the mouse at the last left-button press; -1 for none.
  // A double-click belongs to it even when a Click handler moved the selection.
  int PressedIndex() const { return pressedIndex_; }
  Handler Click, DblClick;

 protected:
  void OnCommand(int code) override;
  bool OnSubclassMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  int pressedIndex_ = -1;
};

class TextBox : public Control {
 public:
  bool Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height, bool visible);
  // A text longer than this (bytes, or UTF-16 units where the text arrives
  // as UTF-16), set by a message from anywhere, is refused: the message
  // answers FALSE. 0 takes any length.
  void SetMaxSetTextBytes(std::size_t bytes) { maxSetTextBytes_ = bytes; }
  Handler Change;

 protected:
  void OnCommand(int code) override;
  bool OnSubclassMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::size_t maxSetTextBytes_ = 0;
};

// A frame: a captioned group box around other controls.
class Frame : public Control {
 public:
  bool Create(Form& owner, int id, const std::string& caption, int x, int y, int width, int height);
};

// An option button; the buttons of one group exclude each other. The first
// of a group is created with firstOfGroup.
class OptionButton : public Control {
 public:
  bool Create(Form& owner, int id, const std::string& text, int x, int y, int width, int height, bool firstOfGroup);
  bool Value() const;
  // Selects this button (clearing the others of its group) and runs Click
  // when it was not selected.
  void Select();
  Handler Click;

 protected:
  void OnCommand(int code) override;
};

// An owner-drawn picture area: Paint draws it, Click and the mouse slots react.
class PictureBox : public Control {
 public:
  bool Create(Form& owner, int id, int x, int y, int width, int height);
  void Invalidate();
  std::function<void(HDC dc, const RECT& rc)> Paint;
  Handler Click;

 protected:
  void OnCommand(int code) override;
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;
};

class Timer {
 public:
  void Attach(Form& owner, UINT_PTR id, UINT intervalMs);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Sets the interval and (re)starts the timer.
  void Start(UINT intervalMs);
  UINT Interval() const { return interval_; }
  Handler Tick;

 private:
  friend class Form;
  void Apply();
  Form* owner_ = nullptr;
  UINT_PTR id_ = 0;
  UINT interval_ = 0;
  bool enabled_ = false;
};

class Form {
 public:
  Form() = default;
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Handle() const { return hwnd_; }
  bool Loaded() const { return hwnd_ != nullptr; }
  // Creates the window and its controls and runs Form_Load; nothing when already loaded.
  void Load();
  void Unload();
  void Show();                 // shows and activates
  void ShowNoActivate();
  void Hide();
  bool Visible() const;
  void Refresh();              // paints now
  void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetCaption(const std::string& caption);
  void Minimize();
  COLORREF BackColor() const { return backColor_; }
  // The DPI the form's window is laid out at, and 96-DPI layout units in
  // pixels at that DPI.
  UINT Dpi() const { return dpi_; }
  int Scale(int units) const { return ::MulDiv(units, static_cast<int>(dpi_), 96); }
  HFONT Font() const { return MessageFont(dpi_); }
  // A tip shown when the mouse rests on the control; an empty text removes it.
  void SetToolTip(const Control& control, const std::string& text);

  MouseHandler MouseMove;  // over the bare form

  // Number of forms loaded in the process; the message loop ends at zero.
  static int LoadedCount() { return loadedCount_; }

 protected:
  struct WindowDesign {
    std::string caption;
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = 400, height = 300;  // layout units (position in pixels)
    bool clientSize = true;  // width/height give the client area
    // A dialog-like form: Tab and Shift+Tab move between its controls, Enter
    // presses the default button, Esc the cancel button, Alt+letter the
    // control whose caption underlines it.
    bool dialogKeys = false;
  };
  virtual WindowDesign Design() const = 0;
  virtual void CreateControls() {}
  virtual void Form_Load() {}
  virtual void Form_Unload() {}
  // Messages the form wants before the layer's own handling; return true when handled.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  virtual void OnPaint(HDC /*dc*/, const RECT& /*clip*/) {}
  // After the window moved to a monitor of another DPI and the layer laid its
  // controls out again at Dpi().
  virtual void OnDpiChanged() {}

  void SetBackColor(COLORREF c);
  // The buttons Enter and Esc press in a dialog-like form; the focus starts on
  // firstFocus (the first control Tab reaches when null).
  void SetDialogButtons(Control* defaultButton, Control* cancelButton, Control* firstFocus = nullptr);

 private:
  friend class Control;
  friend class Timer;
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Register(Control* c) { controls_[c->id_] = c; }
  void Register(Timer* t) { timers_[t->id_] = t; }
  bool HandleDialogMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void ShowDefaultButton(HWND focus);
  bool CanTakeFocus(HWND w) const;
  bool RestoreFocus();
  void RelayoutForDpi(UINT dpi, const RECT* suggested);
  friend bool HandleDialogKeys(MSG& msg);

  HWND hwnd_ = nullptr;
  std::unordered_map<int, Control*> controls_;
  std::unordered_map<UINT_PTR, Timer*> timers_;
  COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
  HBRUSH backBrush_ = nullptr;
  HWND toolTip_ = nullptr;
  UINT dpi_ = 96;
  bool dialogKeys_ = false;
  Control* defaultButton_ = nullptr;
  Control* cancelButton_ = nullptr;
  Control* firstFocus_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool loading_ = false;
  static int loadedCount_;
};

}  // namespace forms
