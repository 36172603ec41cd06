// Under Wine: VD.exe while it changes the wallpaper to a 12000 x 9000 JPEG.
// Its main window's answer to WM_NULL, sampled every 50 ms; a right click on
// the tray icon and `Pelorin -i`, each issued in the middle of a change; the
// change against decoding the same JPEG alone with WIC here; VD's memory when
// idle and at its peak, also over a change to the largest picture it accepts.
// The pictures are made on the first run and kept for the next.
// Usage: busy_winbench VD.exe [Pelorin.exe]. Prints figures; never run as a test.
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "main/control_ids.h"
#include "answer_pinger.h"
#include "bench_files.h"
#include "process_window.h"
#include "wic_pictures.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }
double Mb(SIZE_T bytes) { return static_cast<double>(bytes) / 1048576.0; }

std::string temp;  // VD's TEMP: its list, its bitmap and the pictures

ULONGLONG LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (ULONGLONG{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
}

bool PictureReady(const std::string& path, UINT w, UINT h) {
  if (LastWrite(path)) return true;
  const auto t0 = Clock::now();
  if (!MakeTexturedPicture(path, GUID_ContainerFormatJpeg, w, h)) return false;
  std::printf("%u x %u JPEG made in %.0f s\n", w, h, Ms(t0, Clock::now()) / 1000);
  return true;
}

// The whole picture decoded to 32-bit BGRA with WIC, nothing else: the baseline.
double DecodeAlone(const std::string& path) {
  IWICImagingFactory* f = nullptr;
  IWICBitmapDecoder* d = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* c = nullptr;
  UINT w = 0, h = 0;
  const auto t0 = Clock::now();
  ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&f));
  f->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &d);
  d->GetFrame(0, &frame);
  f->CreateFormatConverter(&c);
  c->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
  c->GetSize(&w, &h);
  std::vector<BYTE> pixels(std::size_t{w} * h * 4);
  c->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size()), pixels.data());
  const double ms = Ms(t0, Clock::now());
  for (IUnknown* u : {static_cast<IUnknown*>(c), static_cast<IUnknown*>(frame), static_cast<IUnknown*>(d),
                      static_cast<IUnknown*>(f)})
    if (u) u->Release();
  return ms;
}

HWND PopupMenuShown() {
  HWND w = nullptr;
  while ((w = ::FindWindowExA(nullptr, w, "#32768", nullptr)) != nullptr)
    if (::IsWindowVisible(w)) return w;
  return nullptr;
}

// VD started on a list of one picture, with its list loaded and its progress form gone.
struct Vd {
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  bool Start(const std::string& exe, const std::string& picture) {
    const std::string list = picture + "\r\n";
    WriteText(temp + "\\VDesk.ini", list);
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    const auto t0 = Clock::now();
    while (!(main = ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Vexa Desktop")) && Ms(t0, Clock::now()) < 30000)
      ::Sleep(5);
    while (Busy() && Ms(t0, Clock::now()) < 30000) ::Sleep(5);
    ::Sleep(2000);
    return main != nullptr;
  }
  bool Busy() const { return ::IsWindowVisible(ProcessWindow(pi.dwProcessId, "ThunderRT6FormDC", "Please wait")); }
  PROCESS_MEMORY_COUNTERS_EX Memory() const {
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    ::GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
    return m;
  }
  ~Vd() {
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
};

// The main window's answer times, every 50 ms while it runs.
class Pinger : public AnswerPinger {
 public:
  explicit Pinger(HWND w) : AnswerPinger(w, 50) {}
};

enum class Probe { None, TrayMenu, Relay };

struct Outcome {
  double changeMs = 0, probeMs = 0;
  std::vector<double> answers;  // the main window's answer times during the change
};

// Asks for a change with the tray menu's command and waits until the bitmap
// is written and the progress form gone. The probe is issued halfway through
// a change that takes about expectedMs; the picture is the one relayed.
Outcome Change(const Vd& vd, Pinger& pinger, Probe probe, double expectedMs, const std::string& pelorin,
               const std::string& picture) {
  const std::string bitmap = temp + "\\Vexa Desktop.bmp";
  const ULONGLONG before = LastWrite(bitmap);
  Outcome out;
  pinger.Take();
  const auto t0 = Clock::now();
  ::PostMessageA(vd.main, WM_COMMAND, ids::mnuChange, 0);
  if (probe != Probe::None) {
    while (Ms(t0, Clock::now()) < expectedMs / 2) ::Sleep(2);
    const auto p0 = Clock::now();
    if (probe == Probe::TrayMenu) {
      ::PostMessageA(::GetDlgItem(vd.main, ids::SysTrayPic), WM_MOUSEMOVE, 1, WM_RBUTTONUP);
      HWND menu = nullptr;
      while (!(menu = PopupMenuShown()) && Ms(p0, Clock::now()) < 60000) ::Sleep(1);
      out.probeMs = Ms(p0, Clock::now());
      ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    } else {
      std::string cmd = "\"" + pelorin + "\" -i " + picture;
      STARTUPINFOA si{};
      si.cb = sizeof si;
      PROCESS_INFORMATION pi{};
      if (::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ::WaitForSingleObject(pi.hProcess, 120000);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
      }
      out.probeMs = Ms(p0, Clock::now());
    }
  }
  while ((LastWrite(bitmap) == before || vd.Busy()) && Ms(t0, Clock::now()) < 120000) ::Sleep(2);
  out.changeMs = Ms(t0, Clock::now());
  ::Sleep(200);  // the answer held up by the change's end is in
  out.answers = pinger.Take();
  ::Sleep(3000);  // the copy of VD that Pelorin starts has ended, the desktop repainted
  return out;
}

void Print(const char* what, Outcome o) {
  const AnswerFigures f = Figures(o.answers);
  std::printf("%-40s %6.0f ms; WM_NULL answered in max %6.0f ms, median %4.0f ms (%zu samples)\n", what, o.changeMs,
              f.worst, f.median, f.samples);
}

// Wine keeps no peak of the commit charge: it reports the current one as the
// peak. Its peak working set is a true peak.
void PrintPeak(const char* what, const Vd& vd) {
  const PROCESS_MEMORY_COUNTERS_EX m = vd.Memory();
  std::printf("%s working set %.0f MB, commit %.0f MB\n", what, Mb(m.PeakWorkingSetSize), Mb(m.PeakPagefileUsage));
}

void SetValue(HKEY hive, const char* key, const char* name, const char* value) {
  ::RegSetKeyValueA(hive, key, name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: busy_winbench VD.exe [Pelorin.exe]\n");
    return 2;
  }
  const std::string vdExe = argv[1];
  const std::string pelorin =
      argc > 2 ? argv[2] : vdExe.substr(0, vdExe.find_last_of("\\/") + 1) + "Pelorin.exe";
  if (::FindWindowExA(nullptr, nullptr, "ThunderRT6FormDC", "Vexa Desktop")) {
    std::printf("VD runs already; end it first\n");
    return 1;
  }
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  temp = std::string(tmp) + "vd-busy-bench";
  ::CreateDirectoryA(temp.c_str(), nullptr);
  const std::string big = temp + "\\big.jpg", largest = temp + "\\largest.jpg";
  if (!PictureReady(big, 12000, 9000) || !PictureReady(largest, 16384, 16384)) {
    std::printf("cannot make the pictures in %s\n", temp.c_str());
    return 1;
  }
  ::SetEnvironmentVariableA("TEMP", temp.c_str());  // VD and the relay's copy of it inherit it
  ::SetEnvironmentVariableA("TMP", temp.c_str());
  const char* key = "SOFTWARE\\Tobrel's\\Vexa Desktop";
  for (const char* off : {"Enabled VD", "Auto Decision", "Randomize"}) SetValue(HKEY_CURRENT_USER, key, off, "0");
  for (const char* on : {"ShowDate", "Use GreyScale"}) SetValue(HKEY_CURRENT_USER, key, on, "1");
  SetValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "WallpaperStyle", "2");  // stretched, black and white, dated

  double decode = 1e9;
  for (int i = 0; i < 2; ++i) decode = std::min(decode, DecodeAlone(big));
  std::printf("decode the 12000 x 9000 JPEG alone (WIC):  %6.0f ms (baseline)\n", decode);
  {
    Vd vd;
    if (!vd.Start(vdExe, big)) {
      std::printf("cannot start %s\n", vdExe.c_str());
      return 1;
    }
    const PROCESS_MEMORY_COUNTERS_EX idle = vd.Memory();
    std::printf("idle: private bytes %.1f MB, working set %.1f MB\n",
                Mb(idle.PrivateUsage ? idle.PrivateUsage : idle.PagefileUsage), Mb(idle.WorkingSetSize));
    Pinger pinger(vd.main);
    double fastest = 1e9, expected = 0;
    for (int i = 0; i < 2; ++i) {
      const Outcome o = Change(vd, pinger, Probe::None, 0, pelorin, big);
      Print("change to the 12000 x 9000 JPEG:", o);
      fastest = std::min(fastest, o.changeMs);
      expected = o.changeMs;
    }
    std::printf("fastest change: %.2fx the decode alone\n", fastest / decode);
    const Outcome menu = Change(vd, pinger, Probe::TrayMenu, expected, pelorin, big);
    Print("change with a right click halfway:", menu);
    std::printf("  right click to tray menu shown: %6.0f ms (target < 300 ms)\n", menu.probeMs);
    // The picture relayed is the one listed, so that the next change has it again.
    const Outcome relay = Change(vd, pinger, Probe::Relay, expected, pelorin, big);
    Print("change with Pelorin -i halfway:", relay);
    std::printf("  Pelorin -i ran:                 %6.0f ms (target < 1000 ms)\n", relay.probeMs);
    PrintPeak("peak over these changes:", vd);
  }
  {
    Vd vd;
    if (!vd.Start(vdExe, largest)) return 1;
    Pinger pinger(vd.main);
    Print("change to the largest (16384 x 16384):", Change(vd, pinger, Probe::None, 0, pelorin, largest));
    PrintPeak("peak over that change:", vd);
  }
  return 0;
}
