/* Compiled for the Pentium Pro: the choice below becomes a CMOV, which the
   instruction audit must refuse. */
#include <windows.h>

__attribute__((noinline)) int larger_of(int a, int b) { return a > b ? a : b; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  return larger_of(command[0], command[1]);
}
