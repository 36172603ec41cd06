// The progress form: the start-up splash, and the "please wait" window of
// every long operation.
#pragma once

#include "forms/forms.h"

class FrmMain;
struct AppState;

class FrmWait : public forms::Form {
 public:
  // state: whether another copy ran, and whether the form was shown before.
  explicit FrmWait(AppState& state) : state_(state) {}
  // The window that loads once the splash is on the screen; required
  // before the first showing.
  void Bind(FrmMain& main) { main_ = &main; }

  forms::Label lblPro;
  forms::Label Label2;

  // Shows the form without activating it and paints it at once.
  void ShowAndPaint();
  void SetStatus(const std::string& text);

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  void Form_Load() override;
  void OnPaint(HDC dc, const RECT& clip) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  AppState& state_;
  FrmMain* main_ = nullptr;
  // The first showing's next step: the main window loads (a second copy ends).
  void ContinueStart();
};
