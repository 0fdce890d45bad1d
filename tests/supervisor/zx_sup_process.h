// Test helpers that run the zxsupervisor program and its probe as real
// processes: start one on a free loopback port with a database of the
// test's, read the port it reports, signal it, wait for it within a bound;
// run probe processes (many at once) and collect what they print.
//
// Every child is bounded in time: the supervisor gets --exit-after, and
// every child dies with the test process (PR_SET_PDEATHSIG), so a test that
// fails half-way leaves nothing running.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace zxtest {

inline long long nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A folder of its own for one test, removed with its files at the end.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/zxsup-test-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path_ = made ? made : "/tmp";
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    const std::string command = "rm -rf '" + path_ + "'";
    if (path_ != "/tmp" && std::system(command.c_str()) != 0)
      std::fprintf(stderr, "could not remove %s\n", path_.c_str());
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// One child process with its standard output on a pipe (standard error
// goes to a file, or is dropped).
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  Child(Child&& o) noexcept { *this = std::move(o); }
  Child& operator=(Child&& o) noexcept {
    std::swap(pid_, o.pid_);
    std::swap(out_, o.out_);
    std::swap(status_, o.status_);
    buffered_.swap(o.buffered_);
    return *this;
  }
  ~Child() {
    kill(SIGKILL);
    wait(10000);
    if (out_ >= 0) ::close(out_);
  }

  bool start(const std::vector<std::string>& args, const std::string& errorFile = std::string()) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return false;
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(127);
      ::dup2(pipeFds[1], 1);
      const int err = errorFile.empty() ? ::open("/dev/null", O_WRONLY)
                                        : ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
      if (err >= 0) ::dup2(err, 2);
      ::close(pipeFds[0]);
      std::vector<char*> argv;
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(pipeFds[1]);
    out_ = pipeFds[0];
    return true;
  }

  // The next line of standard output, waiting at most `limitMs`; false at
  // the end of the output or when the time is up.
  bool readLine(std::string& line, int limitMs) {
    const long long end = nowMs() + limitMs;
    for (;;) {
      const size_t nl = buffered_.find('\n');
      if (nl != std::string::npos) {
        line = buffered_.substr(0, nl);
        buffered_.erase(0, nl + 1);
        return true;
      }
      if (out_ < 0) return false;
      // A limit of 0 still takes what is already there.
      const long long left = end - nowMs();
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0) <= 0) {
        if (nowMs() >= end) return false;
        continue;
      }
      char buf[4096];
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) {
        ::close(out_);
        out_ = -1;
        if (!buffered_.empty()) {
          line = buffered_;
          buffered_.clear();
          return true;
        }
        return false;
      }
      buffered_.append(buf, static_cast<size_t>(n));
    }
  }

  // Everything printed until the process closes its output (at most `limitMs`).
  std::string readAll(int limitMs) {
    std::string all, line;
    while (readLine(line, limitMs)) all += line + "\n";
    return all;
  }

  void kill(int signal) {
    if (pid_ > 0 && status_ < 0) ::kill(pid_, signal);
  }
  // Waits for the process to end; true with its exit status in status()
  // (128 + the signal when a signal ended it).
  bool wait(int limitMs) {
    if (pid_ <= 0) return false;
    if (status_ >= 0) return true;
    const long long end = nowMs() + limitMs;
    for (;;) {
      int raw = 0;
      const pid_t r = ::waitpid(pid_, &raw, WNOHANG);
      if (r == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return true;
      }
      if (r < 0 || nowMs() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  int status() const { return status_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string buffered_;
};

// A running zxsupervisor on 127.0.0.1 with a free port.
class Supervisor {
 public:
  // Starts the program with `db` and the extra arguments; false (with a
  // test failure) when it does not report its port within ten seconds.
  bool start(const std::string& db, const std::vector<std::string>& extra = {},
             const std::string& errorFile = std::string()) {
    std::vector<std::string> args = {ZX_SUPERVISOR_PATH, "--port", "0", "--db", db, "--exit-after", "240"};
    args.insert(args.end(), extra.begin(), extra.end());
    child_ = Child();
    if (!child_.start(args, errorFile)) {
      ADD_FAILURE() << "cannot start " << ZX_SUPERVISOR_PATH;
      return false;
    }
    std::string line;
    const std::string prefix = "listening on 127.0.0.1:";
    if (!child_.readLine(line, 10000) || line.rfind(prefix, 0) != 0) {
      ADD_FAILURE() << "the supervisor did not report its port (read: '" << line << "')";
      return false;
    }
    port_ = std::atoi(line.c_str() + prefix.size());
    return port_ > 0;
  }
  int port() const { return port_; }
  Child& process() { return child_; }
  // SIGTERM, then the exit status (or -1 when it did not stop in time).
  int stop(int limitMs = 15000) {
    child_.kill(SIGTERM);
    return child_.wait(limitMs) ? child_.status() : -1;
  }

 private:
  Child child_;
  int port_ = 0;
};

// Runs the probe against `port` with `args`; its output and exit status.
struct ProbeRun {
  int status = -1;
  std::string out;
};
inline ProbeRun probe(int port, const std::vector<std::string>& args, int limitMs = 30000) {
  std::vector<std::string> all = {ZX_SUPERVISOR_PROBE_PATH, "--port", std::to_string(port)};
  all.insert(all.end(), args.begin(), args.end());
  Child c;
  ProbeRun run;
  if (!c.start(all)) return run;
  run.out = c.readAll(limitMs);
  if (c.wait(limitMs)) run.status = c.status();
  return run;
}

}  // namespace zxtest
