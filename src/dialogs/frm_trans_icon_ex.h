// A small window that shows what a transparent icon caption looks like: one
// sample icon with an opaque caption box, one without.
#pragma once

#include "forms/forms.h"
#include "base/handles.h"

class FrmTransIconEx : public forms::Form {
 public:
  FrmTransIconEx();
  forms::Label opaqueHeading, transparentHeading;
  forms::PictureBox opaqueIcon, transparentIcon;
  forms::Label opaqueIconCover, transparentIconCover;  // see-through, over the sample icons
  forms::Label opaqueCaption, transparentCaption;  // under the icons, as on the desktop

  // The caption colour of the transparent sample.
  void SetSampleTextColour(COLORREF colour);

 protected:
  WindowDesign Design() const override;
  void CreateControls() override;
  void Form_Load() override;
  void OnPaint(HDC dc, const RECT& clip) override;

 private:
  void PaintIcon(const forms::PictureBox& image, HDC dc, const RECT& rc);
  base::GdiObject captionFont_;
};
