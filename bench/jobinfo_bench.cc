// zxjobinfo through melhost and the plug-in, against its floor:
//
//   melhost runs `string $jobs[] = `zxjobinfo -user all`;` with the plug-in
//   loaded, against a supervisor on 127.0.0.1 that answers with 10,000 jobs
//   of 100 work items each (one prepared frame). Its CPU time (user and
//   system, of the whole child process: start, plug-in load, exchange,
//   decoding, the job hashes, the MEL strings) is compared with the floor:
//   uncompress plus unpack of the same reply bytes, in a fresh process as
//   well (a child of the benchmark that decodes the reply and ends), so that
//   both start with a cold heap. Judged by: at most 3 times the floor.
//
//   The peak resident memory of the melhost process against the size of
//   the uncompressed reply. Judged by: at most 4 times.
//
// The times are the best of a few runs (the machine is shared), the peak
// the highest. Nothing leaves 127.0.0.1.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/zx_env_fixture.h"
#include "config/zx_paths.h"
#include "message/zx_message.h"
#include "model/zx_job.h"
#include "net/zx_frame.h"
#include "plugin/zx_package_tree.h"
#include "zx_bench_ratios.h"
#include "zx_bench_supervisor.h"

namespace {

constexpr int kJobs = 10000;
constexpr int kWorkItems = 100;
constexpr int kRounds = 3;

ZxString text(const char* prefix, int n) { return ZxString(prefix).appendInt(n); }

// A job as the supervisor answers it: the user's fields, its package (as
// zxsubmit stores it, compact), the supervisor's bookkeeping, and an agenda
// of frames with their command lines, some rendered.
ZxJob* makeJob(int n, const ZxString& package) {
  ZxJob* j = new ZxJob;
  j->setId(100000 + n);
  j->setPriority(50);
  j->setName(text("seq040_shot", n % 500).append("_lighting_beauty_v012"));
  j->setCpus(8);
  j->setRequirements("host.os=\"linux\" and host.memory >= 32000 and host.processors >= 8");
  j->setPrototype("maya");
  j->setData(package);
  j->setUser("alice.johnson");
  j->setDomain("STUDIO");
  j->setStatus(ZxStatus(336));
  j->setCluster("/lighting/feature");
  j->setLogpath(text("/studio/farm/logs/", 100000 + n));
  j->setTimeSubmit(ZxTime(850000000 + n));
  j->setTimeStart(ZxTime(850000100 + n));
  for (int w = 0; w < kWorkItems; ++w) {
    ZxWork* item = new ZxWork;
    item->setName(ZxString().appendPadded(1001 + w, 4));
    item->setData(text("-s ", 1001 + w).append(" -e ").appendInt(1001 + w).append(" -b 1 -rl beauty"));
    item->setHost(text("render-node-", 100 + w % 64).append(".farm.studio.example"));
    item->setStatus(ZxStatus(w < 60 ? 16 : w < 68 ? 336 : 320));
    item->setAddress(ZxAddress(0x0A140000u + static_cast<uint32_t>(w % 64)));
    item->setPid(100000 + n);
    item->setId(w);
    if (w < 60) item->setResult(text("rendered 4 layers, peak memory 18234 MB, frame ", 1001 + w));
    item->setTimeStart(ZxTime(850000100 + w));
    if (w < 60) item->setTimeComplete(ZxTime(850000700 + w));
    j->agenda().append(item);
  }
  return j;
}

struct Answer {
  std::string payload;  // the packed reply message
  std::string frame;    // as it travels
};

Answer makeAnswer() {
  Answer a;
  const ZxString package = packageToCompact(
      "{scene /studio/projects/feature/seq040/shots/seq040_shot0420/lighting/maya/scenes/"
      "seq040_shot0420_lighting_v012.mb renderer arnold camera renderCam range 1001-1100 chunk 1}");
  ZxMessage reply(101);
  ZxJobList* list = new ZxJobList;
  for (int i = 0; i < kJobs; ++i) list->append(makeJob(i, package));
  reply.setContent(list);
  reply.pack();
  a.payload.assign(reply.buffer(), static_cast<size_t>(reply.used()));
  ZxByteBuffer frame;
  if (ZxFrame::encodeFrame(a.payload.data(), a.payload.size(), frame) == ZxFrame::kOk)
    a.frame.assign(frame.data(), frame.size());
  return a;
}

// The floor, run as `jobinfo_bench --floor FRAME_FILE SIZE`: uncompress and
// unpack of the frame's data (SIZE bytes uncompressed); true when it decodes
// into the whole list.
bool decodeFrameFile(const char* path, size_t u) {
  std::ifstream in(path, std::ios::binary);
  const std::string frame((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (frame.size() < static_cast<size_t>(ZxFrame::kHeaderSize)) return false;
  const Bytef* compressed = reinterpret_cast<const Bytef*>(frame.data() + ZxFrame::kHeaderSize);
  const uLong c = static_cast<uLong>(frame.size() - ZxFrame::kHeaderSize);
  std::unique_ptr<Bytef[]> out(new Bytef[u]);
  uLongf n = u;
  if (uncompress(out.get(), &n, compressed, c) != Z_OK || n != u) return false;
  ZxMessage reply;
  reply.unpack(reinterpret_cast<const char*>(out.get()), static_cast<int>(n));
  const ZxJobList* list = dynamic_cast<const ZxJobList*>(reply.content());
  return list && list->count() == kJobs;
}

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// The peak resident set of a running process, in KiB (0 when unknown). It
// belongs to the program the process runs now, not to the benchmark that
// forked it.
long peakOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, 6, "VmHWM:") == 0) return std::stol(line.substr(6));
  return 0;
}

struct ChildRun {
  bool ok = false;
  double cpu = 0;   // user + system seconds
  double wall = 0;  // seconds
  long peakKb = 0;  // peak resident set of the program, last seen before the end
  std::string out;
};

// Runs `argv` with standard output to `outPath`; its CPU time from the
// system's accounting, its peak memory watched while it runs.
ChildRun runChild(const std::vector<std::string>& argv, const std::string& outPath) {
  ChildRun run;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) dup2(out, 1);
    execv(args[0], args.data());
    _exit(127);
  }
  if (pid < 0) return run;
  int status = 0;
  rusage usage{};
  for (;;) {
    // The last reading: the high-water mark only grows while one program
    // runs, and readings from before the exec belong to the benchmark's
    // copy of itself.
    const long peak = peakOf(pid);
    if (peak > 0) run.peakKb = peak;
    const pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (done < 0) return run;
    usleep(2000);
  }
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  std::ifstream in(outPath);
  std::stringstream text;
  text << in.rdbuf();
  run.out = text.str();
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

bool report(const char* name, double value, double limit) {
  const bool ok = value <= limit;
  std::printf("ratio %s = %.2f (limit <= %.2f) %s\n", name, value, limit, ok ? "ok" : "FAIL");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  zxbench::keepHeapWarm();  // this process only; the children start afresh
  if (argc == 4 && std::string(argv[1]) == "--floor")
    return decodeFrameFile(argv[2], std::stoul(argv[3])) ? 0 : 1;

  const Answer answer = makeAnswer();
  std::printf("zxjobinfo answer: %d jobs of %d work items, %.1f MB packed, %.1f MB compressed\n", kJobs,
              kWorkItems, static_cast<double>(answer.payload.size()) / 1e6,
              static_cast<double>(answer.frame.size()) / 1e6);
  zxtest::TempDir tmp;
  const std::string frameFile = tmp.write("frame.bin", answer.frame);

  ChildRun floor;
  floor.cpu = 1e9;
  for (int i = 0; i < kRounds; ++i) {
    ChildRun r = runChild({"/proc/self/exe", "--floor", frameFile, std::to_string(answer.payload.size())},
                          tmp.file("floor.txt"));
    if (!r.ok) {
      std::printf("the reply does not decode\n");
      return 1;
    }
    if (r.cpu < floor.cpu) floor = r;
  }

  // For comparison only: the same decoding in this process once its heap is
  // warm (no fresh pages to fault in), as in a long-running host.
  double warm = 1e9;
  for (int i = 0; i < kRounds; ++i) {
    timespec a, b;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
    if (!decodeFrameFile(frameFile.c_str(), answer.payload.size())) return 1;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
    const double s =
        static_cast<double>(b.tv_sec - a.tv_sec) + static_cast<double>(b.tv_nsec - a.tv_nsec) / 1e9;
    if (s < warm) warm = s;
  }

  zxbench::PreparedSupervisor supervisor(&answer.frame);
  tmp.mkdir("etc");
  tmp.mkdir("run", 0700);
  tmp.write("etc/zx.conf",
            "supervisor_port = " + std::to_string(supervisor.port()) + "\nclient_timeout = 60000\n");
  zxtest::ScopedEnv env;
  env.set("ZX_CONF_DIR", tmp.file("etc"))
      .set("XDG_RUNTIME_DIR", tmp.file("run"))
      .set("HOME", tmp.path())
      .set("ZX_SUPERVISOR", "127.0.0.1")
      .set("ZX_BROADCAST_ADDRESS", "127.0.0.1")
      .unset("ZX_DOMAIN")
      .unset("ZXPATH");
  resetInstallDir();

  const std::string script = "string $jobs[] = `zxjobinfo -user all`; print (size($jobs) + \"\\n\");";
  ChildRun best;
  best.cpu = 1e9;
  long peakKb = 0;
  for (int i = 0; i < kRounds; ++i) {
    ChildRun r = runChild({ZX_MELHOST_PATH, "-p", ZX_PLUGIN_PATH, "-c", script}, tmp.file("out.txt"));
    if (!r.ok || r.out != std::to_string(kJobs) + "\n") {
      std::printf("melhost failed: %s\n", r.out.c_str());
      return 1;
    }
    if (r.cpu < best.cpu) best = r;
    if (r.peakKb > peakKb) peakKb = r.peakKb;
  }
  const double uncompressedKb = static_cast<double>(answer.payload.size()) / 1024.0;
  std::printf("floor (uncompress + unpack in a fresh process): %.0f ms CPU, peak %.1f MB\n", floor.cpu * 1e3,
              static_cast<double>(floor.peakKb) / 1024.0);
  std::printf("the same decoding in this process, heap warm: %.0f ms CPU (not judged)\n", warm * 1e3);
  std::printf("melhost zxjobinfo: %.0f ms CPU, %.0f ms wall, peak %.1f MB\n", best.cpu * 1e3, best.wall * 1e3,
              static_cast<double>(peakKb) / 1024.0);
  bool ok = report("melhost zxjobinfo / uncompress+unpack", best.cpu / floor.cpu, 3.0);
  ok =
      report("melhost peak memory / uncompressed reply", static_cast<double>(peakKb) / uncompressedKb, 4.0) &&
      ok;
  return ok ? 0 : 1;
}
