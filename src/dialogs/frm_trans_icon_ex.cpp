#include "dialogs/frm_trans_icon_ex.h"

#include <commctrl.h>

#include "dialogs/dialog_ids.h"

namespace {

constexpr int kWidth = 300, kHeight = 150;
constexpr int kSceneTop = 30;  // the "desktop" below the headings
constexpr const char* kCaption = " My Computer ";

// The sample desktop: a diagonal two-colour wash with a few stripes, so that
// a caption box over it stands out and a transparent caption shows it through.
COLORREF SceneColour(int x, int y) {
  int t = (x + 2 * y) % 64;
  int r = 40 + x * 60 / forms::Scale(kWidth), g = 110 + y * 60 / forms::Scale(kHeight), b = 150;
  if (t < 8) r += 40, g += 30, b += 40;
  return RGB(r, g, b);
}

void PaintScene(HDC dc, const RECT& rc, int offsetX, int offsetY) {
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right;) {
      // Runs of one colour, so the fill is a few rectangles per row.
      COLORREF c = SceneColour(x + offsetX, y + offsetY);
      int end = x + 1;
      while (end < rc.right && SceneColour(end + offsetX, y + offsetY) == c) ++end;
      RECT run{x, y, end, y + 1};
      HBRUSH br = ::CreateSolidBrush(c);
      ::FillRect(dc, &run, br);
      ::DeleteObject(br);
      x = end;
    }
  }
}

}  // namespace

FrmTransIconEx::FrmTransIconEx() {
  opaqueIcon.Paint = [this](HDC dc, const RECT& rc) { PaintIcon(opaqueIcon, dc, rc); };
  transparentIcon.Paint = [this](HDC dc, const RECT& rc) { PaintIcon(transparentIcon, dc, rc); };
}

forms::Form::WindowDesign FrmTransIconEx::Design() const {
  WindowDesign d;
  d.caption = "Transparent Icon Example";
  d.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  d.exStyle = WS_EX_TOOLWINDOW;
  d.width = kWidth;
  d.height = kHeight;
  return d;
}

void FrmTransIconEx::CreateControls() {
  ::InitCommonControls();
  LOGFONTA lf{};
  lf.lfHeight = -Scale(11);  // 8 points
  lf.lfQuality = NONANTIALIASED_QUALITY;  // crisp like a desktop caption, on any background
  lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
  captionFont_.Reset(::CreateFontIndirectA(&lf));

  opaqueHeading.Create(*this, ids::example::opaqueHeading, "NonTransparent Icon", 20, 8, 120, 16, SS_CENTER);
  transparentHeading.Create(*this, ids::example::transparentHeading, "Transparent Icon", 160, 8, 120, 16, SS_CENTER);
  opaqueIcon.Create(*this, ids::example::opaqueIcon, 64, 52, 32, 32);
  transparentIcon.Create(*this, ids::example::transparentIcon, 204, 52, 32, 32);
  opaqueIconCover.Create(*this, ids::example::opaqueIconCover, "", 64, 52, 32, 32);
  transparentIconCover.Create(*this, ids::example::transparentIconCover, "", 204, 52, 32, 32);
  opaqueIconCover.SetTransparentBack(true);
  transparentIconCover.SetTransparentBack(true);
  opaqueCaption.Create(*this, ids::example::opaqueCaption, kCaption, 40, 90, 80, 16, SS_CENTER);
  transparentCaption.Create(*this, ids::example::transparentCaption, kCaption, 180, 90, 80, 16, SS_CENTER);
  for (forms::Label* l : {&opaqueCaption, &transparentCaption})
    ::SendMessageA(l->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(captionFont_.Get()), FALSE);
  opaqueCaption.SetColors(RGB(255, 255, 255), ::GetSysColor(COLOR_BACKGROUND));
  transparentCaption.SetColors(RGB(255, 255, 255), std::nullopt);
  transparentCaption.SetTransparentBack(true);
}

void FrmTransIconEx::Form_Load() {
  // The click areas cover the pictures exactly.
  RECT r;
  for (auto [label, image] :
       {std::pair{&opaqueIconCover, &opaqueIcon}, std::pair{&transparentIconCover, &transparentIcon}}) {
    ::GetWindowRect(image->Handle(), &r);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    ::MoveWindow(label->Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  }
}

void FrmTransIconEx::SetSampleTextColour(COLORREF colour) { transparentCaption.SetColors(colour, std::nullopt); }

void FrmTransIconEx::OnPaint(HDC dc, const RECT& clip) {
  RECT client;
  ::GetClientRect(Handle(), &client);
  RECT scene{0, Scale(kSceneTop), client.right, client.bottom};
  RECT part;
  if (::IntersectRect(&part, &scene, &clip)) PaintScene(dc, part, 0, 0);
}

void FrmTransIconEx::PaintIcon(const forms::PictureBox& image, HDC dc, const RECT& rc) {
  // The scene behind the picture, then a small computer drawn over it.
  RECT inForm = rc;
  ::MapWindowPoints(image.Handle(), Handle(), reinterpret_cast<POINT*>(&inForm), 2);
  PaintScene(dc, rc, inForm.left - rc.left, inForm.top - rc.top);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  auto box = [&](int l, int t, int r, int b, COLORREF c) {
    RECT x{rc.left + l * w / 32, rc.top + t * h / 32, rc.left + r * w / 32, rc.top + b * h / 32};
    HBRUSH br = ::CreateSolidBrush(c);
    ::FillRect(dc, &x, br);
    ::DeleteObject(br);
  };
  box(3, 3, 29, 22, RGB(220, 220, 210));   // monitor
  box(5, 5, 27, 20, RGB(20, 90, 160));     // screen
  box(13, 22, 19, 25, RGB(180, 180, 170)); // neck
  box(6, 25, 26, 29, RGB(200, 200, 190));  // base
}
