// The tear-off calendar page stamped in the top-right corner of the wallpaper.
#pragma once

#include <span>

#include "engine/image.h"

namespace vd {

constexpr int kCalendarPageWidth = 44;
constexpr int kCalendarPageHeight = 62;
constexpr int kCalendarPageMargin = 16;  // from the canvas's top and right edges

// Where the day and month texts go on the page (top of the text cell); the
// day's grey shadow lies one pixel right of and below the red day.
constexpr int kCalendarDayTop = 12;
constexpr int kCalendarDayShadowTop = 13;
constexpr int kCalendarMonthTop = 42;

// A rectangle of the page, copied unscaled to the same place on the canvas.
struct PageStrip {
  int x, y, w, h;
};

// The 15 vertical strips that make up the page. What lies outside them (the
// rounded corners and the two binder-ring holes) shows the wallpaper.
std::span<const PageStrip> CalendarPageStrips();

// Top-left corner of the page on a canvas of the given width.
void CalendarPageOrigin(int canvasWidth, int& left, int& top);

// Copies the strips of page (44 x 62; a smaller page is clipped) onto the
// canvas at CalendarPageOrigin, clipped to the canvas. Copied pixels get the
// 4th byte 255 (text drawn by GDI clears it).
void StampCalendarPage(ImageView canvas, ConstImageView page);

// The page graphic without texts: paper with a red header band, binder
// rings over the holes, room for the day and the month.
Image MakeCalendarPageArt();

}  // namespace vd
