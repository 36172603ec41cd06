// Under Wine: what the largest pictures the pixel budget accepts cost to
// load (time and the process's peak memory), against a picture far beyond
// it that is refused from its header. Each picture is loaded in a child
// process of its own so that each peak is its own. Prints figures; never
// run as a test. Usage: budget_winbench [folder for the pictures]
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/picture_header.h"
#include "platform/picture_loader.h"

namespace {

using Clock = std::chrono::steady_clock;

std::wstring Wide(const std::string& s) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  return w;
}

// A textured picture (so that it compresses like a photo), encoded in strips.
bool MakePicture(const std::string& path, const GUID& container, UINT w, UINT h) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* f = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&f))))
    return false;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* enc = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  WICPixelFormatGUID fmt = GUID_WICPixelFormat24bppBGR;
  bool ok = SUCCEEDED(f->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(f->CreateEncoder(container, nullptr, &enc)) &&
            SUCCEEDED(enc->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(enc->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(w, h)) && SUCCEEDED(frame->SetPixelFormat(&fmt));
  const UINT rows = 128;
  std::vector<BYTE> strip(static_cast<std::size_t>(w) * 3 * rows);
  for (UINT y0 = 0; ok && y0 < h; y0 += rows) {
    const UINT n = h - y0 < rows ? h - y0 : rows;
    for (UINT y = 0; y < n; ++y)
      for (UINT x = 0; x < w; ++x) {
        BYTE* p = &strip[(static_cast<std::size_t>(y) * w + x) * 3];
        const unsigned t = (x * 7919u + (y0 + y) * 104729u) ^ (x * (y0 + y));
        p[0] = static_cast<BYTE>(x * 255 / w + (t & 15));
        p[1] = static_cast<BYTE>((y0 + y) * 255 / h + ((t >> 4) & 15));
        p[2] = static_cast<BYTE>(((x + y0 + y) >> 6) + ((t >> 8) & 31));
      }
    ok = SUCCEEDED(frame->WritePixels(n, w * 3, w * 3 * n, strip.data()));
  }
  ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(enc->Commit());
  for (IUnknown* u : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(enc), static_cast<IUnknown*>(stream),
                      static_cast<IUnknown*>(f)})
    if (u) u->Release();
  return ok;
}

// The child: loads one picture as VD does (scaled to twice a 1920 x 1080
// screen while decoding) and prints time and peak memory.
int LoadOne(const std::string& path) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  PROCESS_MEMORY_COUNTERS before{};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before);
  const auto t0 = Clock::now();
  platform::Picture p = platform::LoadPicture(path, 3840, 2160);
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  PROCESS_MEMORY_COUNTERS after{};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after);
  std::printf("  %s: %s %d x %d in %.2f s, peak working set %.0f MB, peak commit %.0f MB\n",
              path.substr(path.find_last_of('\\') + 1).c_str(), p.pixels.Empty() ? "refused or unreadable" : "loaded",
              p.originalWidth, p.originalHeight, s, after.PeakWorkingSetSize / 1048576.0,
              after.PeakPagefileUsage / 1048576.0);
  std::fflush(stdout);
  return 0;
}

void RunChild(const std::string& path) {
  char self[MAX_PATH * 4];
  ::GetModuleFileNameA(nullptr, self, sizeof self);
  std::string cmd = std::string("\"") + self + "\" --load \"" + path + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return;
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  ::CloseHandle(h);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--load") return LoadOne(argv[2]);
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof temp, temp);
  const std::string folder = argc > 1 ? argv[1] : std::string(temp);
  const UINT side = 16384;  // 2^28 pixels: the largest square the budget accepts
  static_assert(std::uint64_t{16384} * 16384 == vd::kPixelBudget);
  std::printf("Pixel budget %llu pixels; pictures of %u x %u:\n", static_cast<unsigned long long>(vd::kPixelBudget),
              side, side);
  struct Item {
    const char* name;
    const GUID* container;
  };
  for (const Item& it : {Item{"budget.jpg", &GUID_ContainerFormatJpeg}, Item{"budget.bmp", &GUID_ContainerFormatBmp},
                         Item{"budget.png", &GUID_ContainerFormatPng}}) {
    const std::string path = folder + "\\" + it.name;
    const auto t0 = Clock::now();
    if (!MakePicture(path, *it.container, side, side)) {
      std::printf("  %s: could not be made\n", it.name);
      continue;
    }
    std::printf("  %s made in %.1f s\n", it.name, std::chrono::duration<double>(Clock::now() - t0).count());
    std::fflush(stdout);
    RunChild(path);
    ::DeleteFileA(path.c_str());
  }
  // Beyond the budget: a 10 KB JPEG claiming 65500 x 65500 is refused from its header.
  std::string bomb = std::string("\xFF\xD8\xFF\xC0\x00\x0B\x08\xFF\xDC\xFF\xDC\x01\x01\x11\x00", 15);
  bomb += std::string(10000, '\0');
  const std::string bombPath = folder + "\\bomb.jpg";
  WriteBytes(bombPath, bomb);
  RunChild(bombPath);
  ::DeleteFileA(bombPath.c_str());
  return 0;
}
