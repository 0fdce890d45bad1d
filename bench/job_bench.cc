// Job encoding throughput and memory: pack and unpack of a job list of
// 10,000 realistic jobs, each with an agenda of 100 work items and 4
// callbacks, against zlib compress (default level) and uncompress of the
// same bytes; and the peak memory that pack plus unpack take beyond the
// records themselves.
//
// Judged by: pack at least 10 times faster than compress (time ratio at
// most 0.1), unpack at least 3 times faster than uncompress (at most 0.333),
// and the peak memory above the records at most 4 times the packed size.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "model/zx_job.h"
#include "zx_bench_ratios.h"
#include "zx_bench_zlib.h"

// ---- allocation accounting -----------------------------------------------------
// Every operator new of the program goes through here, so the bytes in use
// and their peak can be read at any point. Each block carries its size in a
// 16-byte header (keeping the alignment of the default operator new).

namespace {

size_t g_inUse = 0;
size_t g_peak = 0;
constexpr size_t kHeader = 16;

void* allocate(size_t n) noexcept {
  void* p = std::malloc(n + kHeader);
  if (!p) return nullptr;
  *static_cast<size_t*>(p) = n;
  g_inUse += n;
  if (g_inUse > g_peak) g_peak = g_inUse;
  return static_cast<char*>(p) + kHeader;
}

void release(void* p) noexcept {
  if (!p) return;
  char* block = static_cast<char*>(p) - kHeader;
  g_inUse -= *reinterpret_cast<size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(size_t n) {
  void* p = allocate(n);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t n) {
  void* p = allocate(n);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

namespace {

constexpr int kJobs = 10000;
constexpr int kWorkItems = 100;
constexpr int kCallbacks = 4;

ZxString text(const char* prefix, int n) { return ZxString(prefix).appendInt(n); }

// A job as a submission script builds it, with what the supervisor adds.
ZxJob* makeJob(int n) {
  ZxJob* j = new ZxJob;
  j->setId(100000 + n);
  j->setPriority(50);
  j->setUser("alice.johnson");
  j->setDomain("STUDIO");
  j->setStatus(ZxStatus(336));
  j->setName(text("seq040_shot", n % 500).append("_lighting_beauty_v012"));
  j->setCpus(8);
  j->setTodo(kWorkItems);
  j->setCluster("/lighting/feature");
  j->setRequirements("host.os=\"linux\" and host.memory >= 32000 and host.processors >= 8");
  j->setReservations("host.processors=8,host.memory=24000,license.renderer=1");
  j->setRestrictions("/lighting/*");
  j->setPrototype("maya");
  j->setPath("/opt/zx/jobtypes:/studio/pipeline/jobtypes");
  j->setLogpath(text("/studio/farm/logs/", 100000 + n));
  // The compact text of the job's package, as the plug-in stores it.
  j->setData(
      "{scene=\"/studio/projects/feature/seq040/shots/seq040_shot0420/lighting/maya/scenes/"
      "seq040_shot0420_lighting_v012.mb\" project=\"/studio/projects/feature/seq040/shots/seq040_shot0420\" "
      "renderer=arnold camera=renderCam:shotCam layers=(beauty,shadow,reflection,matte) "
      "output=\"/studio/renders/feature/seq040/seq040_shot0420/lighting/v012/<RenderLayer>/<Scene>\" "
      "range=1001-1100 chunk=1 padding=4 image_format=exr resolution=(2048,858) threads=8}");
  j->cpusTally().add(336, 8);
  j->todoTally().add(16, 60);
  j->todoTally().add(336, 8);
  j->todoTally().add(320, 32);
  j->setTimeSubmit(ZxTime(850000000 + n));
  j->setTimeStart(ZxTime(850000100 + n));
  j->setFlags(0x404);
  j->setAccount("feature_lighting");
  static const char* const kEnv[][2] = {
      {"PATH", "/usr/local/bin:/usr/bin:/bin:/opt/autodesk/maya/bin"},
      {"HOME", "/home/alice.johnson"},
      {"MAYA_LOCATION", "/opt/autodesk/maya"},
      {"MAYA_MODULE_PATH", "/studio/pipeline/maya/modules"},
      {"PYTHONPATH", "/studio/pipeline/python:/studio/pipeline/maya/python"},
      {"SHOW", "feature"},
      {"SEQ", "seq040"},
      {"SHOT", "seq040_shot0420"},
  };
  for (const auto& kv : kEnv) {
    j->env().keys().add(kv[0]);
    j->env().values().add(kv[1]);
  }
  j->env().setUmask(2);
  j->env().setCwd("/studio/projects/feature/seq040/shots/seq040_shot0420/lighting");
  j->setLastUpdate(ZxTime(850000200 + n));
  j->setMailAddress("alice.johnson@studio.example");
  j->setSourceHost(ZxAddress(ZxString("10.20.30.40")));
  for (int w = 0; w < kWorkItems; ++w) {
    ZxWork* item = new ZxWork;
    item->setName(ZxString().appendPadded(1001 + w, 4));
    item->setSubId(w % 8);
    item->setHost(text("render-node-", 100 + w % 64).append(".farm.studio.example"));
    item->setStatus(ZxStatus(w < 60 ? 16 : w < 68 ? 336 : 320));
    item->setAddress(ZxAddress(0x0A140000u + static_cast<uint32_t>(w % 64)));
    item->setPid(100000 + n);
    item->setData(text("-s ", 1001 + w).append(" -e ").appendInt(1001 + w).append(" -b 1 -rl beauty"));
    item->setId(w);
    if (w < 60) item->setResult(text("rendered 4 layers, peak memory 18234 MB, frame ", 1001 + w));
    item->setCount(1);
    item->setPercent(w < 60 ? 100 : w < 68 ? 45 : 0);
    item->setLastUpdate(ZxTime(850000300 + w));
    item->setTimeStart(ZxTime(850000100 + w));
    if (w < 60) item->setTimeComplete(ZxTime(850000700 + w));
    item->setMacAddress(ZxMacAddress(ZxString("0:1a:2b:3c:4d:").appendInt(10 + w % 64)));
    j->agenda().append(item);
  }
  static const char* const kTriggers[kCallbacks] = {"done-job-self", "fail-work-self", "done-work-self",
                                                    "exit-job-self"};
  for (int c = 0; c < kCallbacks; ++c) {
    ZxCallback* cb = new ZxCallback;
    cb->setId(c);
    cb->setPid(100000 + n);
    cb->setLanguage(2);
    cb->setTriggers(kTriggers[c]);
    cb->setCode(
        "import zx, smtplib\n"
        "job = zx.jobinfo(zx.jobid())[0]\n"
        "msg = 'Job %s (%s) finished with status %s' % (job['id'], job['name'], job['status'])\n"
        "zx.log(msg)\n"
        "if job['status'] != 'complete':\n"
        "    zx.mail('alice.johnson@studio.example', 'farm job ' + str(job['id']), msg)\n");
    cb->setUser("alice.johnson");
    cb->setMaximum(1);
    j->callbacks().append(cb);
  }
  return j;
}

const ZxJobList& jobList() {
  static ZxJobList* list = [] {
    auto* l = new ZxJobList;
    for (int i = 0; i < kJobs; ++i) l->append(makeJob(i));
    return l;
  }();
  return *list;
}

const std::vector<char>& packedBytes() {
  static std::vector<char> bytes = [] {
    ZxJobList copy(jobList());
    copy.pack();
    return std::vector<char>(copy.buffer(), copy.buffer() + copy.used());
  }();
  return bytes;
}

void setBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(packedBytes().size()));
}

// Packs into the list's own buffer, kept from one pack to the next (the
// steady state of a process that sends many messages).
void BM_PackJobs(benchmark::State& state) {
  const std::vector<char>& bytes = packedBytes();
  ZxJobList& list = const_cast<ZxJobList&>(jobList());
  for (auto _ : state) {
    int n = list.pack();
    benchmark::DoNotOptimize(n);
    if (n != static_cast<int>(bytes.size())) state.SkipWithError("size differs");
  }
  list.releaseBuffer();
  setBytes(state);
}

// Packs into a buffer grown from nothing each time, fresh pages included
// (a single large message). Shown, not judged.
void BM_PackJobsColdBuffer(benchmark::State& state) {
  const std::vector<char>& bytes = packedBytes();
  ZxJobList& list = const_cast<ZxJobList&>(jobList());
  for (auto _ : state) {
    state.PauseTiming();
    list.releaseBuffer();
    state.ResumeTiming();
    int n = list.pack();
    benchmark::DoNotOptimize(n);
    if (n != static_cast<int>(bytes.size())) state.SkipWithError("size differs");
  }
  list.releaseBuffer();
  setBytes(state);
}

void BM_UnpackJobs(benchmark::State& state) {
  const std::vector<char>& bytes = packedBytes();
  for (auto _ : state) {
    std::unique_ptr<ZxJobList> list(new ZxJobList);
    int r = list->unpack(bytes.data(), static_cast<int>(bytes.size()));
    if (r != 0 || list->count() != kJobs || list->get(kJobs - 1)->agenda().count() != kWorkItems)
      state.SkipWithError("decoding failed");
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  setBytes(state);
}

const std::vector<Bytef>& compressedBytes() {
  static std::vector<Bytef> out = [] {
    const std::vector<char>& bytes = packedBytes();
    std::vector<Bytef> dest(compressBound(bytes.size()));
    uLongf n = dest.size();
    compress(dest.data(), &n, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    dest.resize(n);
    return dest;
  }();
  return out;
}

void BM_CompressJobs(benchmark::State& state) { zxbench::compressEach(state, packedBytes()); }

void BM_UncompressJobs(benchmark::State& state) {
  const std::vector<char>& bytes = packedBytes();
  const std::vector<Bytef>& packed = compressedBytes();
  std::vector<Bytef> dest(bytes.size());
  for (auto _ : state) {
    uLongf n = dest.size();
    int r = uncompress(dest.data(), &n, packed.data(), packed.size());
    if (r != Z_OK || n != bytes.size()) state.SkipWithError("uncompress failed");
    benchmark::ClobberMemory();
  }
  setBytes(state);
}

BENCHMARK(BM_PackJobs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PackJobsColdBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackJobs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CompressJobs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncompressJobs)->Unit(benchmark::kMillisecond);

// Packs the list and unpacks the bytes into a fresh list, and prints the
// peak of the bytes allocated during the two steps beyond the records
// themselves (the source list, present before, and the decoded list,
// present after). Decoding reads the input in place, so what remains is the
// pack buffer, which grows to four times what it needs at each step.
int measureMemory() {
  ZxJobList& source = const_cast<ZxJobList&>(jobList());
  source.releaseBuffer();
  const size_t base = g_inUse;
  g_peak = g_inUse;
  const int packed = source.pack();
  const size_t bufferHeld = g_inUse - base;
  auto* decoded = new ZxJobList;
  decoded->unpack(source.buffer(), source.used());
  const size_t peak = g_peak;
  source.releaseBuffer();
  const size_t decodedRecords = g_inUse - base;
  delete decoded;

  const double mb = 1024.0 * 1024.0;
  const double above = static_cast<double>(peak - base - decodedRecords);
  std::printf("memory: packed %.1f MB, pack buffer held %.1f MB, records %.1f MB per copy\n", packed / mb,
              bufferHeld / mb, decodedRecords / mb);
  const double ratio = above / packed;
  const bool ok = ratio <= 4.0;
  std::printf("ratio peak memory above records / packed = %.2f (%.1f MB; limit <= 4.00) %s\n", ratio,
              above / mb, ok ? "ok" : "FAIL");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  jobList();
  packedBytes();
  compressedBytes();
  std::printf("jobs %d x (%d work items, %d callbacks): %.1f MB packed, %.1f MB compressed\n", kJobs,
              kWorkItems, kCallbacks, packedBytes().size() / (1024.0 * 1024.0),
              compressedBytes().size() / (1024.0 * 1024.0));
  int status = zxbench::runWithRatios(
      argc, argv,
      {
          {"pack jobs / compress", "BM_PackJobs/min_time:2.000", "BM_CompressJobs", 0.1},
          {"unpack jobs / uncompress", "BM_UnpackJobs/min_time:2.000", "BM_UncompressJobs", 0.333},
      });
  return measureMemory() | status;
}
