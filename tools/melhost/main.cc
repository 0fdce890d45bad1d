// melhost: placeholder entry point until the MEL interpreter lands.
#include <cstdio>
int main() {
  std::fprintf(stderr, "melhost: not built yet\n");
  return 2;
}
