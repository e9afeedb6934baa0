// vxbits.exe: prints "vxbits 32" or "vxbits 64", the width of its own pointers. The test suite
// starts the 32-bit build of it to learn whether this machine runs 32-bit Windows programs.
#include <cstdio>

int main() {
  printf("vxbits %u\n", static_cast<unsigned>(sizeof(void*) * 8));
  return 0;
}
