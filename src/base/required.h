// A part that another part needs, bound once at start: using it before it is
// bound is a fault in the program's wiring, and says so at once instead of
// doing nothing or reading through a null pointer.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace base {

template <class T>
T& Required(T* bound, const char* what) {
  if (!bound) {
#ifndef NDEBUG
    std::fprintf(stderr, "VD: %s used before it was bound\n", what);
#else
    (void)what;
#endif
    std::abort();
  }
  return *bound;
}

}  // namespace base
