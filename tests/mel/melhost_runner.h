// Runs melhost as a child process for the MEL tests: captures standard
// output, standard error and the exit status, within a time bound, and
// parses the JSON lines of --json output.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace meltest {

struct MelRun {
  int status = -1;  // exit status; -1 when the child did not exit normally
  bool timedOut = false;
  std::string out;
  std::string err;

  // The stdout lines that parse as JSON objects, in order.
  std::vector<nlohmann::json> json() const {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] != '{') continue;
      nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
      if (j.is_object()) lines.push_back(j);
    }
    return lines;
  }
};

inline bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs ZX_MELHOST_PATH with `args`; standard input is /dev/null. The child
// is killed after `timeoutSeconds` (sanitizer builds are slow, hence the
// generous default).
inline MelRun runMelhost(const std::vector<std::string>& args, int timeoutSeconds = 60) {
  MelRun run;
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0) return run;
  if (pipe(errPipe) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return run;
  }
  std::vector<std::string> argv0 = {ZX_MELHOST_PATH};
  argv0.insert(argv0.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv0) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return run;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int openCount = 2;
  while (openCount > 0) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openCount;
      }
    }
  }
  for (pollfd& p : fds)
    if (p.fd >= 0) close(p.fd);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
  return run;
}

// A temporary directory, removed with its contents at destruction.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zx_mel_XXXXXX").string();
    if (mkdtemp(&pattern[0])) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes `text` to `name` inside the directory; answers the full path.
  std::string write(const std::string& name, const std::string& text) const {
    std::string p = path_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary) << text;
    return p;
  }

 private:
  std::string path_;
};

}  // namespace meltest
