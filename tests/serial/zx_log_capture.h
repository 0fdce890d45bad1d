// ZxLogCapture: what the process-wide log sink writes while a capture
// lives. The sink can be pointed at a file only once per process, so the
// first capture points it at a temporary file (removed at exit) and every
// capture reads what was appended to the sink's file since it started.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "util/zx_log.h"

class ZxLogCapture {
 public:
  ZxLogCapture() : start_(fileSize()) {}

  // Everything the sink wrote since this capture started.
  std::string text() const {
    std::string all = readAll();
    return all.size() > start_ ? all.substr(start_) : std::string();
  }

 private:
  static const std::string& fileName() {
    static const std::string name = [] {
      ZxLog& sink = ZxLog::log();
      if (sink.currentFileName().isEmpty()) {
        static std::string made = "/tmp/zx_log_capture_" + std::to_string(getpid()) + ".log";
        std::remove(made.c_str());
        sink.setLogFile(made.c_str(), 0);
        std::atexit([] { std::remove(made.c_str()); });
      }
      return std::string(sink.currentFileName().c_str());
    }();
    return name;
  }
  static std::string readAll() {
    std::string out;
    if (std::FILE* f = std::fopen(fileName().c_str(), "rb")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
      std::fclose(f);
    }
    return out;
  }
  static size_t fileSize() { return readAll().size(); }

  size_t start_;
};
