// Under Wine: what the largest pictures the pixel budget accepts cost to
// load (time and the process's peak memory), kind by kind (the decoders'
// needs differ: progressive and CMYK JPEG, 16-bit PNG, many-frame GIF, RLE
// and 32-bit BMP), against a picture far beyond it that is refused from its
// header, and small files that claim more pixels than they can hold. Each
// picture is loaded in a child process of its own so that each
// peak is its own. Prints figures; never run as a test.
// Usage: budget_winbench [folder for the pictures]
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/picture_header.h"
#include "platform/picture_loader.h"
#include "support/byte_strings.h"
#include "bench_files.h"
#include "wic_pictures.h"

namespace {

using Clock = std::chrono::steady_clock;

// The kinds no WIC encoder writes are written by hand, flat (the decoders'
// buffers do not depend on the content), in pieces so that the writer itself
// stays small.
class Output {
 public:
  explicit Output(const std::string& path)
      : h_(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)) {}
  ~Output() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  bool Put(const std::string& bytes) {
    DWORD put = 0;
    ok_ = ok_ && h_ != INVALID_HANDLE_VALUE &&
          ::WriteFile(h_, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    return ok_;
  }
  bool Ok() const { return ok_ && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
  bool ok_ = true;
};

// A progressive CMYK JPEG: one DC scan of all four components, every
// difference 0 (a one-bit code); the AC scans are left out, as a decoder
// then keeps the coefficients it has.
bool MakeProgressiveCmykJpeg(const std::string& path, UINT side) {
  using bytes::Be16;
  using bytes::Segment;
  Output out(path);
  std::string head = "\xFF\xD8" + Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0\0", 12));
  head += Segment(0xDB, std::string(1, '\0') + std::string(64, '\x01'));
  std::string sof = "\x08" + Be16(side) + Be16(side) + "\x04";
  for (char id = 1; id <= 4; ++id) sof += std::string{id, '\x11', '\0'};
  head += Segment(0xC2, sof);
  head += Segment(0xC4, std::string("\x00\x01", 2) + std::string(15, '\0') + std::string(1, '\0'));  // DC: "0" is 0
  head += Segment(0xDA, std::string("\x04\x01\x00\x02\x00\x03\x00\x04\x00\x00\x00\x00", 12));
  out.Put(head);
  const std::uint64_t bits = std::uint64_t{side / 8} * (side / 8) * 4;
  const std::string zeros(1 << 20, '\0');
  for (std::uint64_t left = (bits + 7) / 8; left > 0;) {
    const std::size_t n = static_cast<std::size_t>(left < zeros.size() ? left : zeros.size());
    out.Put(zeros.substr(0, n));
    left -= n;
  }
  return out.Put("\xFF\xD9") && out.Ok();
}

// A small file that claims a huge picture: a JPEG frame header of side x side
// (component 1 sampled as sampling says, the other components 1 x 1), then
// only fileBytes of file in all, its scan all zero bits (DC difference 0,
// end of block), as a hostile or cut-off file would be.
bool MakeClaimingJpeg(const std::string& path, UINT side, bool progressive, int components, char sampling,
                      std::size_t fileBytes) {
  using bytes::Be16;
  using bytes::Segment;
  Output out(path);
  std::string head = "\xFF\xD8";
  if (components == 4) head += Segment(0xEE, std::string("Adobe\0\x64\0\0\0\0\0", 12));
  head += Segment(0xDB, std::string(1, '\0') + std::string(64, '\x01'));
  std::string sof = "\x08" + Be16(side) + Be16(side) + static_cast<char>(components);
  for (char id = 1; id <= components; ++id) sof += std::string{id, id == 1 ? sampling : '\x11', '\0'};
  head += Segment(progressive ? 0xC2 : 0xC0, sof);
  const std::string oneCode = std::string("\x01", 1) + std::string(15, '\0') + std::string(1, '\0');  // "0" is 0
  head += Segment(0xC4, std::string("\x00", 1) + oneCode);  // DC table 0
  if (!progressive) head += Segment(0xC4, std::string("\x10", 1) + oneCode);  // AC table 0: "0" ends the block
  std::string sos(1, static_cast<char>(components));
  for (char id = 1; id <= components; ++id) sos += std::string{id, '\0'};
  sos += progressive ? std::string("\x00\x00\x00", 3) : std::string("\x00\x3F\x00", 3);
  head += Segment(0xDA, sos);
  out.Put(head);
  if (fileBytes > head.size() + 2) out.Put(std::string(fileBytes - head.size() - 2, '\0'));
  return out.Put("\xFF\xD9") && out.Ok();
}

// A GIF of frames full-screen frames of one colour each, LZW-coded as giflib
// codes them (the code width grows once the next code needs it; a clear code
// once the table is full).
bool MakeGif(const std::string& path, UINT side, int frames) {
  using bytes::Le16;
  Output out(path);
  std::string head = "GIF89a" + Le16(side) + Le16(side) + std::string("\xF7\0\0", 3);
  for (int i = 0; i < 256; ++i) head += std::string(3, static_cast<char>(i));
  out.Put(head);
  for (int f = 0; f < frames; ++f) {
    const int k = 32 * f + 16;
    std::string data, blocks;
    std::uint32_t acc = 0;
    int nbits = 0, runningBits = 9, runningCode = 258, maxCode1 = 512;
    auto put = [&](int code) {
      acc |= static_cast<std::uint32_t>(code) << nbits;
      nbits += runningBits;
      while (nbits >= 8) {
        data += static_cast<char>(acc & 255);
        acc >>= 8;
        nbits -= 8;
      }
      if (runningCode >= maxCode1 && code <= 4095) maxCode1 = 1 << ++runningBits;
    };
    auto codeOf = [&](int length) { return length == 1 ? k : 258 + length - 2; };
    put(256);
    int m = 1, longest = 1;
    for (std::uint64_t i = 1; i < std::uint64_t{side} * side; ++i) {
      if (m + 1 <= longest) {
        ++m;
        continue;
      }
      put(codeOf(m));
      if (runningCode >= 4095) {
        put(256);
        runningCode = 258, runningBits = 9, maxCode1 = 512, longest = 1;
      } else {
        ++runningCode;
        longest = m + 1;
      }
      m = 1;
    }
    put(codeOf(m));
    put(257);
    if (nbits > 0) data += static_cast<char>(acc & 255);
    for (std::size_t at = 0; at < data.size(); at += 255) {
      const std::size_t n = data.size() - at < 255 ? data.size() - at : 255;
      blocks += static_cast<char>(n);
      blocks += data.substr(at, n);
    }
    out.Put(std::string("\x21\xF9\x04\x04\x0A\x00\x00\x00", 8) + "," + Le16(0) + Le16(0) + Le16(side) +
            Le16(side) + std::string("\0\x08", 2) + blocks + std::string(1, '\0'));
  }
  return out.Put(";") && out.Ok();
}

// An 8-bit RLE bitmap (runs of 255) or a plain 32-bit one.
bool MakeBmp(const std::string& path, UINT side, bool rle) {
  using bytes::Le16;
  using bytes::Le32;
  Output out(path);
  const unsigned palette = rle ? 1024 : 0, offset = 54 + palette;
  const std::uint64_t rowBytes = rle ? (side / 255 + 1) * 2 + 2 : std::uint64_t{side} * 4;
  const std::uint64_t size = offset + rowBytes * side + (rle ? 2 : 0);
  std::string head = "BM" + Le32(static_cast<unsigned>(size)) + Le32(0) + Le32(offset) + Le32(40) + Le32(side) +
                     Le32(side) + Le16(1) + Le16(rle ? 8 : 32) + Le32(rle ? 1 : 0) +
                     Le32(static_cast<unsigned>(size - offset)) + Le32(2835) + Le32(2835) + Le32(rle ? 256 : 0) +
                     Le32(0);
  for (unsigned i = 0; i < palette / 4; ++i) head += std::string(3, static_cast<char>(i)) + '\0';
  out.Put(head);
  std::string row;
  if (rle) {
    for (UINT x = 0; x < side; x += 255) row += std::string{static_cast<char>(side - x < 255 ? side - x : 255), '\x50'};
    row += std::string("\0\0", 2);
  } else {
    row.assign(static_cast<std::size_t>(rowBytes), '\x50');
  }
  std::string rows;
  for (UINT y = 0; y < side; ++y) {
    rows += row;
    if (rows.size() >= (4u << 20) || y + 1 == side) {
      out.Put(rows);
      rows.clear();
    }
  }
  if (rle) out.Put(std::string("\0\x01", 2));
  return out.Ok();
}

// A 16-bit RGBA PNG, flat.
bool MakePng64(const std::string& path, UINT side) {
  return EncodeInStrips(path, GUID_ContainerFormatPng, GUID_WICPixelFormat64bppRGBA, 8, side, side,
                        [](std::vector<BYTE>& strip, UINT, UINT) { std::fill(strip.begin(), strip.end(), BYTE{0x50}); });
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
              path.substr(path.find_last_of('\\') + 1).c_str(), !p.pixels.Empty() ? "loaded" : platform::PictureProblem(path).empty() ? "not decoded" : "refused from its header",
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--load") return LoadOne(argv[2]);
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof temp, temp);
  const std::string folder = argc > 1 ? argv[1] : std::string(temp);
  // 2^28 pixels: the largest square the pixel budget accepts; a number among
  // the names sets another side (to see a kind just within the memory estimate).
  UINT side = 16384;
  static_assert(std::uint64_t{16384} * 16384 == vd::kPixelBudget);
  for (int i = 2; i < argc; ++i)
    if (std::string(argv[i]).find_first_not_of("0123456789") == std::string::npos) side = std::stoul(argv[i]);
  std::printf("Pixel budget %llu pixels; pictures of %u x %u:\n", static_cast<unsigned long long>(vd::kPixelBudget),
              side, side);
  struct Item {
    const char* name;
    bool (*make)(const std::string& path, UINT side);
  };
  const Item items[] = {
      {"plain.jpg",
       [](const std::string& p, UINT s) { return MakeTexturedPicture(p, GUID_ContainerFormatJpeg, s, s); }},
      {"progressive-cmyk.jpg", MakeProgressiveCmykJpeg},
      {"rgb24.bmp", [](const std::string& p, UINT s) { return MakeTexturedPicture(p, GUID_ContainerFormatBmp, s, s); }},
      {"rgb32.bmp", [](const std::string& p, UINT s) { return MakeBmp(p, s, false); }},
      {"rle8.bmp", [](const std::string& p, UINT s) { return MakeBmp(p, s, true); }},
      {"rgb24.png", [](const std::string& p, UINT s) { return MakeTexturedPicture(p, GUID_ContainerFormatPng, s, s); }},
      {"rgba64.png", MakePng64},
      {"frames8.gif", [](const std::string& p, UINT s) { return MakeGif(p, s, 8); }},
  };
  // Names given after the folder choose some of the kinds.
  for (const Item& it : items) {
    bool named = false, anyName = false;
    for (int i = 2; i < argc; ++i) {
      const std::string a = argv[i];
      if (a.find_first_not_of("0123456789") == std::string::npos) continue;
      anyName = true;
      named = named || a == it.name;
    }
    if (anyName && !named) continue;
    const std::string path = folder + "\\" + it.name;
    const auto t0 = Clock::now();
    if (!it.make(path, side)) {
      std::printf("  %s: could not be made\n", it.name);
      continue;
    }
    std::printf("  %s made in %.1f s\n", it.name, std::chrono::duration<double>(Clock::now() - t0).count());
    std::fflush(stdout);
    RunChild(path);
    ::DeleteFileA(path.c_str());
  }
  // Within the budget, but 48 KB cannot hold the blocks claimed: refused from
  // the header and the file's size, before a decoder allocates the pixels.
  std::printf("Small files claiming large pictures:\n");
  const struct {
    const char* name;
    UINT side;
    bool progressive;
    int components;
    char sampling;
  } claims[] = {{"claims-16384.jpg", 16384, false, 3, '\x11'},
                {"claims-10000-progressive-cmyk.jpg", 10000, true, 4, '\x22'}};
  for (const auto& c : claims) {
    const std::string path = folder + "\\" + c.name;
    if (!MakeClaimingJpeg(path, c.side, c.progressive, c.components, c.sampling, 48 * 1024)) continue;
    RunChild(path);
    ::DeleteFileA(path.c_str());
  }
  // Beyond the budget: a 10 KB JPEG claiming 65500 x 65500 is refused from its header.
  std::string bomb = std::string("\xFF\xD8\xFF\xC0\x00\x0B\x08\xFF\xDC\xFF\xDC\x01\x01\x11\x00", 15);
  bomb += std::string(10000, '\0');
  const std::string bombPath = folder + "\\bomb.jpg";
  WriteText(bombPath, bomb);
  RunChild(bombPath);
  ::DeleteFileA(bombPath.c_str());
  return 0;
}
