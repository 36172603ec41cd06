// Holds the Wine session open while the tests run: the virtual desktop
// closes a moment after the last Wine program ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ::Sleep(INFINITE);
  return 0;
}
