// Test helpers for code that reads the environment and the file system: a
// temporary folder removed with everything in it, and a scope that sets or
// unsets environment variables and restores them when it ends.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace zxtest {

class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/zxtest-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) path_ = buffer.data();
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    if (!path_.empty()) removeTree(path_);
  }

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Writes `content` to the file `name` inside the folder; returns its path.
  std::string write(const std::string& name, const std::string& content) const {
    std::string full = file(name);
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out << content;
    return full;
  }
  std::string mkdir(const std::string& name, mode_t mode = 0755) const {
    std::string full = file(name);
    ::mkdir(full.c_str(), mode);
    return full;
  }

  static void removeTree(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return;
    if (S_ISDIR(info.st_mode)) {
      chmod(path.c_str(), 0700);
      if (DIR* dir = opendir(path.c_str())) {
        while (struct dirent* entry = readdir(dir)) {
          std::string name = entry->d_name;
          if (name == "." || name == "..") continue;
          removeTree(path + "/" + name);
        }
        closedir(dir);
      }
      rmdir(path.c_str());
    } else {
      unlink(path.c_str());
    }
  }

 private:
  std::string path_;
};

// Sets and unsets environment variables for the life of the scope. The first
// change of each variable records its value so that destruction restores it.
class ScopedEnv {
 public:
  ScopedEnv() = default;
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->wasSet)
        setenv(it->name.c_str(), it->value.c_str(), 1);
      else
        unsetenv(it->name.c_str());
    }
  }

  ScopedEnv& set(const std::string& name, const std::string& value) {
    remember(name);
    setenv(name.c_str(), value.c_str(), 1);
    return *this;
  }
  ScopedEnv& unset(const std::string& name) {
    remember(name);
    unsetenv(name.c_str());
    return *this;
  }

 private:
  struct Saved {
    std::string name;
    bool wasSet;
    std::string value;
  };
  void remember(const std::string& name) {
    for (const Saved& s : saved_)
      if (s.name == name) return;
    const char* old = std::getenv(name.c_str());
    saved_.push_back(Saved{name, old != nullptr, old ? old : ""});
  }
  std::vector<Saved> saved_;
};

}  // namespace zxtest
