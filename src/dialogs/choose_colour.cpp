#include "dialogs/choose_colour.h"

#include <commdlg.h>

#include "forms/forms.h"

COLORREF ChooseColour(const forms::Form& ownerForm, COLORREF initial) {
  COLORREF custom[16] = {};
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = ownerForm.Handle();
  cc.rgbResult = initial;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  return ::ChooseColorA(&cc) ? cc.rgbResult : initial;
}
