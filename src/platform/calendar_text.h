// The calendar page with today's day and month drawn on it by GDI.
#pragma once

#include "engine/image.h"

namespace platform {

// Our calendar-page picture with the day ("dd", red over a grey shadow, Times
// New Roman 20 pt bold) and the month ("MMM" of the user's locale, Arial 8 pt)
// of today centred on it. Empty when GDI fails.
vd::Image RenderCalendarPage();

}  // namespace platform
