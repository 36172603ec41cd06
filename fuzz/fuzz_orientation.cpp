// The EXIF orientation reader on arbitrary bytes: it must never read out of
// bounds, and it answers 1..8 whatever the bytes claim.
#include <cstddef>
#include <cstdint>

#include "engine/orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vd::MemorySource source(data, size);
  const int o = vd::ReadOrientation(source);
  if (o < 1 || o > 8) __builtin_trap();
  return 0;
}
