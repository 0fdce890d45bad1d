// Replays inputs through a fuzz target's LLVMFuzzerTestOneInput without
// libFuzzer: every regular file in the folders named on the command line
// (a missing folder is skipped). A crash or sanitizer report fails the run.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
int replayFolder(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  std::vector<std::string> files;
  while (dirent* e = readdir(dir)) {
    std::string path = folder + "/" + e->d_name;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(path);
  }
  closedir(dir);
  for (const std::string& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  return static_cast<int>(files.size());
}
}  // namespace

int main(int argc, char** argv) {
  int total = 0;
  for (int i = 1; i < argc; ++i) total += replayFolder(argv[i]);
  // The empty input is always worth a run.
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(""), 0);
  std::printf("replayed %d inputs\n", total);
  return 0;
}
