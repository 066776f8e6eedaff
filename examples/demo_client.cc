// A day of a suite application, as a client sees the library: only the
// public headers and the shared library.
#include <cstdio>

int main() {
  std::puts("CommonVelmora demo client");
  return 0;
}
