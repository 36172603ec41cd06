// Under Wine: one full wallpaper change from a 6000 x 4000 JPEG to a 3840 x 2160
// stretched, black-and-white, dated bitmap, against decoding that JPEG alone
// with the same decoder; and loading a 100,000-entry list into a list box.
// Prints figures; never run as a test.
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/bitmap_file.h"
#include "engine/calendar_page.h"
#include "engine/compose.h"
#include "engine/grey_filter.h"
#include "engine/list_file.h"
#include "platform/calendar_text.h"
#include "platform/file_system.h"
#include "platform/picture_loader.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

std::wstring Wide(const std::string& s) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  return w;
}

// A photo-like 6000 x 4000 JPEG: gradients with texture, so it compresses like a picture.
bool MakeJpeg(IWICImagingFactory* f, const std::string& path) {
  const UINT w = 6000, h = 4000;
  std::vector<BYTE> px(static_cast<std::size_t>(w) * h * 3);
  for (UINT y = 0; y < h; ++y)
    for (UINT x = 0; x < w; ++x) {
      BYTE* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
      unsigned n = (x * 7919u + y * 104729u) ^ (x * y);
      p[0] = static_cast<BYTE>(x * 255 / w + (n & 15));
      p[1] = static_cast<BYTE>(y * 255 / h + ((n >> 4) & 15));
      p[2] = static_cast<BYTE>(((x + y) >> 4) + ((n >> 8) & 31));
    }
  IWICBitmap* bmp = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* enc = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  WICPixelFormatGUID fmt = GUID_WICPixelFormat24bppBGR;
  bool ok = SUCCEEDED(f->CreateBitmapFromMemory(w, h, GUID_WICPixelFormat24bppBGR, w * 3, static_cast<UINT>(px.size()),
                                                px.data(), &bmp)) &&
            SUCCEEDED(f->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(f->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &enc)) &&
            SUCCEEDED(enc->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(enc->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(w, h)) && SUCCEEDED(frame->SetPixelFormat(&fmt)) &&
            SUCCEEDED(frame->WriteSource(bmp, nullptr)) && SUCCEEDED(frame->Commit()) && SUCCEEDED(enc->Commit());
  for (IUnknown* u : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(enc), static_cast<IUnknown*>(stream),
                      static_cast<IUnknown*>(bmp)})
    if (u) u->Release();
  return ok;
}

double DecodeAlone(IWICImagingFactory* f, const std::string& path) {
  auto t0 = Clock::now();
  IWICBitmapDecoder* d = nullptr;
  IWICBitmapFrameDecode* fr = nullptr;
  IWICFormatConverter* c = nullptr;
  UINT w = 0, h = 0;
  f->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &d);
  d->GetFrame(0, &fr);
  f->CreateFormatConverter(&c);
  c->Initialize(fr, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
  c->GetSize(&w, &h);
  std::vector<BYTE> buf(static_cast<std::size_t>(w) * h * 4);
  c->CopyPixels(nullptr, w * 4, static_cast<UINT>(buf.size()), buf.data());
  c->Release();
  fr->Release();
  d->Release();
  return Ms(t0, Clock::now());
}

double FullChange(const std::string& path, const std::string& out) {
  auto t0 = Clock::now();
  platform::Picture pic = platform::LoadPicture(path, 2 * 3840, 2 * 2160);
  vd::Image canvas(3840, 2160);
  vd::ComposeWallpaper(canvas.View(), pic.pixels.View(), 2);
  pic = {};
  vd::FilterBlackAndWhite(canvas.View());
  vd::Image page = platform::RenderCalendarPage();
  vd::StampCalendarPage(canvas.View(), page.View());
  std::vector<std::uint8_t> bmp = vd::EncodeBmp(canvas.View());
  platform::WriteFileReplacing(out, bmp.data(), bmp.size());
  return Ms(t0, Clock::now());
}

double PrivateMb() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  // Wine reports private bytes as the commit charge of the process.
  return static_cast<double>(pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1048576.0;
}

}  // namespace

int main() {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* f = nullptr;
  ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&f));
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  const std::string dir = std::string(tmp) + "vd-bench";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const std::string jpeg = dir + "\\big.jpg", out = dir + "\\out.bmp";
  if (!f || !MakeJpeg(f, jpeg)) {
    std::printf("could not make the test JPEG\n");
    return 1;
  }
  double decode = 1e9, change = 1e9;
  for (int i = 0; i < 3; ++i) {
    decode = std::min(decode, DecodeAlone(f, jpeg));
    change = std::min(change, FullChange(jpeg, out));
  }
  std::printf("decode 6000x4000 JPEG alone (WIC):        %8.1f ms\n", decode);
  std::printf("full change to 3840x2160 b/w dated bitmap: %8.1f ms  (%.2fx the decode; target <= 1.5x)\n", change,
              change / decode);
  std::printf("private bytes after the change:            %8.1f MB\n", PrivateMb());

  // 100,000 list lines naming 100 existing pictures, loaded the way the program does.
  std::string list;
  for (int i = 0; i < 100; ++i) {
    std::string p = dir + "\\pic" + std::to_string(i) + ".jpg";
    HANDLE h = ::CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(h);
  }
  for (int i = 0; i < 100000; ++i) list += dir + "\\pic" + std::to_string(i % 100) + ".jpg\r\n";
  const std::string listPath = dir + "\\big.vdl";
  platform::WriteFileReplacing(listPath, list.data(), list.size());
  HWND host = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND box = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_NOTIFY, 0, 0, 100, 100, host, nullptr, nullptr, nullptr);
  platform::FileSystem fs;
  auto t0 = Clock::now();
  auto bytes = platform::ReadWholeFile(listPath, std::size_t{128} << 20);
  auto lines = vd::SplitListLines(*bytes, [](std::string_view s) { return std::string(s); });
  std::size_t n = 0;
  vd::FilterListLines(
      lines, fs,
      [&](vd::ListEntry e) {
        ::SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.name.c_str()));
        ++n;
      },
      [] {
        MSG m;
        while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
      });
  std::printf("load a 100,000-entry list file:            %8.1f ms  (%zu entries; target < 3000 ms)\n",
              Ms(t0, Clock::now()), n);
  f->Release();
  return 0;
}
