// The system's colour dialog.
#pragma once

#include <windows.h>

namespace forms {
class Form;
}

// Shows the colour dialog, fully opened, on the initial colour; the chosen
// colour, or the initial one when the user cancels. Custom colours start
// black at every call.
COLORREF ChooseColour(const forms::Form& ownerForm, COLORREF initial);
