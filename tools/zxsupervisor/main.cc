// zxsupervisor: a local supervisor for development and tests. It answers
// the requests of the client library (submit, query, job and work
// commands, time, discovery) over the loopback network and keeps its jobs
// in an SQLite database. It assigns no work to hosts; --simulate plays
// their part.
//
// Prints "listening on ADDRESS:PORT" on standard output once it serves
// (and nothing else there: later output joins the log); logs one line per
// request on standard error; stops cleanly on SIGINT and
// SIGTERM (finishing the requests in hand). Exit status 0 after a clean
// stop, 1 when it cannot start, 2 for a usage error.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "config/zx_config.h"
#include "net/zx_connection.h"
#include "os/zx_os_host.h"
#include "zx_sup_handler.h"
#include "zx_sup_server.h"
#include "zx_sup_sqlite_store.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

const char kUsage[] =
    "usage: zxsupervisor [options]\n"
    "  --bind ADDRESS          listen on this IPv4 address (default 127.0.0.1)\n"
    "  --port N                TCP and UDP port (default: supervisor_port of zx.conf, 50001);\n"
    "                          0 picks a free port\n"
    "  --db PATH               the job database (default $XDG_DATA_HOME/zx/zxsupervisor.db,\n"
    "                          else ~/.local/share/zx/zxsupervisor.db); :memory: keeps none\n"
    "  --domain NAME           the queue domain served; discovery for other domains is left\n"
    "                          to their own supervisors\n"
    "  --max-connections N     requests served at once (default 64); more are turned away\n"
    "  --simulate SECONDS      run pending work: each item runs SECONDS, then completes\n"
    "  --timeout MS            each wait for a request's bytes (default 10000)\n"
    "  --max-request-bytes N   largest request payload (default 16777216)\n"
    "  --sync full|normal      database sync at commit (default full, see the README)\n"
    "  --admin USER            a user who may submit elite jobs and act on every job\n"
    "                          (repeatable)\n"
    "  --port-file PATH        write the bound port there once serving\n"
    "  --exit-after SECONDS    stop by itself after that long (for tests)\n"
    "  --quiet                 no request log lines\n";

struct Options {
  std::string bind = "127.0.0.1";
  int port = -1;
  std::string db;
  std::string domain;
  int maxConnections = 64;
  int simulate = -1;
  int timeoutMs = 10000;
  long long maxRequestBytes = 16LL << 20;
  bool syncNormal = false;
  std::vector<std::string> admins;
  std::string portFile;
  int exitAfter = 0;
  bool quiet = false;
};

bool number(const char* text, long long low, long long high, long long* out) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

// Reads the options; false (after a message) for a usage error.
bool readOptions(int argc, char** argv, Options& o, bool* help) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      *help = true;
      return true;
    }
    if (a == "--quiet") {
      o.quiet = true;
      continue;
    }
    static const char* const kValued[] = {"--bind",
                                          "--port",
                                          "--db",
                                          "--domain",
                                          "--max-connections",
                                          "--simulate",
                                          "--timeout",
                                          "--max-request-bytes",
                                          "--sync",
                                          "--admin",
                                          "--port-file",
                                          "--exit-after"};
    bool known = false;
    for (const char* k : kValued) known = known || a == k;
    if (!known) {
      std::fprintf(stderr, "zxsupervisor: unknown option %s\n%s", a.c_str(), kUsage);
      return false;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "zxsupervisor: %s needs a value\n%s", a.c_str(), kUsage);
      return false;
    }
    const char* v = argv[++i];
    long long n = 0;
    bool ok = true;
    if (a == "--bind") {
      o.bind = v;
    } else if (a == "--port") {
      ok = number(v, 0, 65535, &n);
      o.port = static_cast<int>(n);
    } else if (a == "--db") {
      o.db = v;
    } else if (a == "--domain") {
      o.domain = v;
    } else if (a == "--max-connections") {
      ok = number(v, 1, 4096, &n);
      o.maxConnections = static_cast<int>(n);
    } else if (a == "--simulate") {
      ok = number(v, 0, 86400, &n);
      o.simulate = static_cast<int>(n);
    } else if (a == "--timeout") {
      ok = number(v, 1, 3600000, &n);
      o.timeoutMs = static_cast<int>(n);
    } else if (a == "--max-request-bytes") {
      ok = number(v, 1024, ZxConnection::kDefaultReceiveLimit, &n);
      o.maxRequestBytes = n;
    } else if (a == "--sync") {
      ok = std::strcmp(v, "full") == 0 || std::strcmp(v, "normal") == 0;
      o.syncNormal = std::strcmp(v, "normal") == 0;
    } else if (a == "--admin") {
      o.admins.push_back(v);
    } else if (a == "--port-file") {
      o.portFile = v;
    } else if (a == "--exit-after") {
      ok = number(v, 1, 86400 * 365, &n);
      o.exitAfter = static_cast<int>(n);
    }
    if (!ok) {
      std::fprintf(stderr, "zxsupervisor: bad value for %s: %s\n", a.c_str(), v);
      return false;
    }
  }
  return true;
}

// Makes every folder of `path` up to its last separator (mode 0700).
bool makeFolders(const std::string& path) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
    const std::string folder = path.substr(0, at);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// The per-user data folder's database, or "" when no home is known.
std::string defaultDatabase() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/zx/zxsupervisor.db";
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return std::string(home) + "/.local/share/zx/zxsupervisor.db";
  return std::string();
}

std::mutex g_logMutex;

// One log line on standard error, stamped, with control characters shown
// as "?" so that a name sent by a client cannot forge lines.
void logLine(const std::string& text) {
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::string clean = text;
  for (char& c : clean)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  std::lock_guard<std::mutex> lock(g_logMutex);
  std::fprintf(stderr, "%s %s\n", stamp, clean.c_str());
  std::fflush(stderr);
}

bool writePortFile(const std::string& path, int port) {
  const std::string temporary = path + ".tmp";
  std::FILE* f = std::fopen(temporary.c_str(), "w");
  if (!f) return false;
  const bool ok = std::fprintf(f, "%d\n", port) > 0 && std::fclose(f) == 0;
  return ok && std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool help = false;
  if (!readOptions(argc, argv, o, &help)) return 2;
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  uint32_t bind = 0;
  if (!ZxConnection::resolve(ZxString(o.bind.c_str()), &bind)) {
    std::fprintf(stderr, "zxsupervisor: cannot read the address %s\n", o.bind.c_str());
    return 2;
  }
  if (o.port < 0) o.port = ZxConfig().supervisorPort();
  if (o.db.empty()) {
    o.db = defaultDatabase();
    if (o.db.empty()) {
      std::fprintf(stderr, "zxsupervisor: no home folder for the database; name one with --db\n");
      return 2;
    }
  }
  if (o.db != ":memory:" && !makeFolders(o.db)) {
    std::fprintf(stderr, "zxsupervisor: cannot make the folder of %s: %s\n", o.db.c_str(),
                 std::strerror(errno));
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  zxsup::SqliteStore store;
  ZxString error;
  if (!store.open(o.db, o.syncNormal ? zxsup::SqliteStore::kSyncNormal : zxsup::SqliteStore::kSyncFull,
                  error)) {
    std::fprintf(stderr, "zxsupervisor: %s\n", error.c_str());
    return 1;
  }
  zxsup::HandlerSettings hs;
  hs.simulateSeconds = o.simulate;
  hs.domain = ZxString(o.domain.c_str());
  for (const std::string& a : o.admins) hs.admins.push_back(ZxString(a.c_str()));
  zxsup::Handler handler(store, hs, [] { return ZxOsHost::unixNow(); });

  zxsup::ServerSettings ss;
  ss.bindAddress = bind;
  ss.port = o.port;
  ss.maxConnections = o.maxConnections;
  ss.requestTimeoutMs = o.timeoutMs;
  ss.maxRequestBytes = static_cast<uint32_t>(o.maxRequestBytes);
  ss.logRequests = !o.quiet;
  zxsup::Server server(handler, ss, logLine);
  if (!server.open(error)) {
    std::fprintf(stderr, "zxsupervisor: cannot listen on %s port %d: %s\n", o.bind.c_str(), o.port,
                 error.c_str());
    return 1;
  }
  const std::string where = zxsup::addressText(bind, server.port());
  logLine("zxsupervisor " + where + ": database " + o.db + ", " + std::to_string(store.jobCount()) +
          " jobs, next id " + std::to_string(store.nextId()) +
          (o.simulate >= 0 ? ", work runs " + std::to_string(o.simulate) + " s" : std::string()) +
          (o.syncNormal ? ", sync normal" : ", sync full"));
  if (!o.portFile.empty() && !writePortFile(o.portFile, server.port())) {
    std::fprintf(stderr, "zxsupervisor: cannot write %s\n", o.portFile.c_str());
    return 1;
  }
  std::printf("listening on %s\n", where.c_str());
  std::fflush(stdout);
  // From here on standard output is the log too: the library writes its
  // own diagnostics there, and a reader that took the one line it waited
  // for and stopped reading must not make the supervisor block on a full
  // pipe.
  ::dup2(2, 1);

  const auto start = std::chrono::steady_clock::now();
  const int exitAfter = o.exitAfter;
  server.run([&] {
    if (g_stop) return true;
    return exitAfter > 0 && std::chrono::steady_clock::now() - start >= std::chrono::seconds(exitAfter);
  });
  logLine("zxsupervisor " + where + ": stopped after " + std::to_string(server.served()) + " requests");
  store.close();
  return 0;
}
