// Client operations against their floors, in process CPU time:
//
//   queryJobs answered by 10,000 jobs of 100 work items each, from an
//   in-process supervisor on 127.0.0.1 that sends a prepared frame, against
//   uncompress plus unpack of the same frame alone. Judged by: the whole
//   operation (configuration, request, transport, decoding, handing the
//   jobs over) costs at most 1.3 times the floor.
//
//   Submission of 1,000 jobs of 100 work items each: completion of every job
//   as submit() does it (zx.conf read for each job, the "maya" job type of
//   jobtypes/ loaded once for the submission, the environment) plus packing
//   the request plus compressing it, against compressing the same bytes
//   alone. Judged by: at most 1.5 times the floor.
#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "client/zx_job_completion.h"
#include "client/zx_job_query.h"
#include "config/zx_env_fixture.h"
#include "config/zx_env_snapshot.h"
#include "config/zx_paths.h"
#include "message/zx_message.h"
#include "model/zx_job.h"
#include "net/zx_connection.h"
#include "net/zx_frame.h"
#include "net/zx_listener.h"
#include "zx_bench_ratios.h"
#include "zx_bench_supervisor.h"

namespace {

constexpr int kQueryJobs = 10000;
constexpr int kSubmitJobs = 1000;
constexpr int kWorkItems = 100;

ZxString text(const char* prefix, int n) { return ZxString(prefix).appendInt(n); }

// A job as a query answer carries it: the user's fields, the supervisor's
// bookkeeping and an agenda of frames, some rendered.
ZxJob* makeJob(int n, bool answered) {
  ZxJob* j = new ZxJob;
  j->setPriority(50);
  j->setName(text("seq040_shot", n % 500).append("_lighting_beauty_v012"));
  j->setCpus(8);
  j->setRequirements("host.os=\"linux\" and host.memory >= 32000 and host.processors >= 8");
  j->setPrototype("maya");
  j->setData(
      "{scene=\"/studio/projects/feature/seq040/shots/seq040_shot0420/lighting/maya/scenes/"
      "seq040_shot0420_lighting_v012.mb\" renderer=arnold camera=renderCam range=1001-1100 chunk=1}");
  if (answered) {
    j->setId(100000 + n);
    j->setUser("alice.johnson");
    j->setDomain("STUDIO");
    j->setStatus(ZxStatus(336));
    j->setCluster("/lighting/feature");
    j->setLogpath(text("/studio/farm/logs/", 100000 + n));
    j->setTimeSubmit(ZxTime(850000000 + n));
    j->setTimeStart(ZxTime(850000100 + n));
  }
  for (int w = 0; w < kWorkItems; ++w) {
    ZxWork* item = new ZxWork;
    item->setName(ZxString().appendPadded(1001 + w, 4));
    item->setData(text("-s ", 1001 + w).append(" -e ").appendInt(1001 + w).append(" -b 1 -rl beauty"));
    if (answered) {
      item->setHost(text("render-node-", 100 + w % 64).append(".farm.studio.example"));
      item->setStatus(ZxStatus(w < 60 ? 16 : w < 68 ? 336 : 320));
      item->setAddress(ZxAddress(0x0A140000u + static_cast<uint32_t>(w % 64)));
      item->setPid(100000 + n);
      item->setId(w);
      if (w < 60) item->setResult(text("rendered 4 layers, peak memory 18234 MB, frame ", 1001 + w));
      item->setTimeStart(ZxTime(850000100 + w));
      if (w < 60) item->setTimeComplete(ZxTime(850000700 + w));
    }
    j->agenda().append(item);
  }
  return j;
}

// The surroundings of the client: a zx.conf of its own, a private
// temporary folder, the repository's job types.
struct Surroundings {
  zxtest::TempDir tmp;
  zxtest::ScopedEnv env;
  explicit Surroundings(int port) {
    tmp.mkdir("etc");
    tmp.mkdir("run", 0700);
    tmp.write("etc/zx.conf", "supervisor_port = " + std::to_string(port) + "\nclient_timeout = 60000\n");
    env.set("ZX_CONF_DIR", tmp.file("etc"))
        .set("XDG_RUNTIME_DIR", tmp.file("run"))
        .set("HOME", tmp.path())
        .set("ZX_SUPERVISOR", "127.0.0.1")
        .set("ZX_BROADCAST_ADDRESS", "127.0.0.1")
        .set("ZXPATH", std::string(ZX_SOURCE_DIR) + "/jobtypes")
        .unset("ZX_DOMAIN")
        .unset("ZXJOBID")
        .unset("ZXPGRPID");
    resetInstallDir();
  }
};

// The query answer: its packed message and its frame.
struct QueryAnswer {
  std::string payload;
  std::string frame;
};

const QueryAnswer& queryAnswer() {
  static QueryAnswer* answer = [] {
    auto* a = new QueryAnswer;
    ZxMessage reply(101);
    ZxJobList* list = new ZxJobList;
    for (int i = 0; i < kQueryJobs; ++i) list->append(makeJob(i, true));
    reply.setContent(list);
    reply.pack();
    a->payload.assign(reply.buffer(), static_cast<size_t>(reply.used()));
    ZxByteBuffer frame;
    if (ZxFrame::encodeFrame(a->payload.data(), a->payload.size(), frame) == ZxFrame::kOk)
      a->frame.assign(frame.data(), frame.size());
    return a;
  }();
  return *answer;
}

void BM_QueryJobs(benchmark::State& state) {
  const QueryAnswer& answer = queryAnswer();
  zxbench::PreparedSupervisor supervisor(&answer.frame);
  Surroundings around(supervisor.port());
  for (auto _ : state) {
    ZxQuery query;
    query.filterList().append(makeFilter("user", "alice.johnson"));
    ZxJobList jobs;
    if (!queryJobs(query, jobs) || jobs.count() != kQueryJobs) state.SkipWithError("query failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(answer.payload.size()));
}

// The floor: the same frame's data through uncompress and the message
// decoder alone.
void BM_QueryFloor(benchmark::State& state) {
  const QueryAnswer& answer = queryAnswer();
  const Bytef* compressed = reinterpret_cast<const Bytef*>(answer.frame.data() + ZxFrame::kHeaderSize);
  const uLong c = static_cast<uLong>(answer.frame.size() - ZxFrame::kHeaderSize);
  for (auto _ : state) {
    std::unique_ptr<Bytef[]> out(new Bytef[answer.payload.size()]);
    uLongf u = answer.payload.size();
    if (uncompress(out.get(), &u, compressed, c) != Z_OK) state.SkipWithError("uncompress failed");
    ZxMessage reply;
    reply.unpack(out.get(), static_cast<int>(u));
    const ZxJobList* list = dynamic_cast<const ZxJobList*>(reply.content());
    if (!list || list->count() != kQueryJobs) state.SkipWithError("unpack failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(answer.payload.size()));
}

const ZxJobList& submitJobs() {
  static ZxJobList* list = [] {
    auto* l = new ZxJobList;
    for (int i = 0; i < kSubmitJobs; ++i) l->append(makeJob(i, false));
    return l;
  }();
  return *list;
}

int compressInto(std::vector<Bytef>& dest, const char* bytes, size_t n) {
  uLongf size = dest.size();
  return compress(dest.data(), &size, reinterpret_cast<const Bytef*>(bytes), n);
}

// Completion of every job as submit() does it, the request packed, and the
// packed bytes compressed as the frame is. The list is copied (and the
// previous copy destroyed) outside the timed part, so every round
// completes fresh jobs.
void BM_SubmitPrepare(benchmark::State& state) {
  Surroundings around(1);
  std::vector<Bytef> dest;
  size_t packed = 0;
  ZxJobList jobs;
  for (auto _ : state) {
    state.PauseTiming();
    jobs = submitJobs();
    state.ResumeTiming();
    const ZxEnvSnapshot env;
    const ZxString templatePath = submitTemplatePath(env);
    ZxJobTypeMemo types;
    for (int i = 0; i < jobs.count(); ++i) completeJob(*jobs.get(i), templatePath, &types);
    ZxMessage request(200);
    request.setContent(&jobs);
    request.pack();
    request.setContent(nullptr);
    packed = static_cast<size_t>(request.used());
    if (dest.size() < compressBound(packed)) dest.resize(compressBound(packed));
    if (compressInto(dest, request.buffer(), packed) != Z_OK) state.SkipWithError("compress failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(packed));
}

// The floor: compressing the same request bytes (the completed list,
// packed once beforehand).
void BM_SubmitFloor(benchmark::State& state) {
  Surroundings around(1);
  ZxJobList jobs(submitJobs());
  const ZxEnvSnapshot env;
  const ZxString templatePath = submitTemplatePath(env);
  for (int i = 0; i < jobs.count(); ++i) completeJob(*jobs.get(i), templatePath);
  ZxMessage request(200);
  request.setContent(&jobs);
  request.pack();
  request.setContent(nullptr);
  const std::string bytes(request.buffer(), static_cast<size_t>(request.used()));
  std::vector<Bytef> dest(compressBound(bytes.size()));
  for (auto _ : state)
    if (compressInto(dest, bytes.data(), bytes.size()) != Z_OK) state.SkipWithError("compress failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

BENCHMARK(BM_QueryJobs)->Iterations(3)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueryFloor)->Iterations(3)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubmitPrepare)->MinTime(2.0)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubmitFloor)->MinTime(2.0)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const QueryAnswer& answer = queryAnswer();
  std::printf("query answer: %zu jobs, %.1f MB packed, %.1f MB compressed\n", static_cast<size_t>(kQueryJobs),
              answer.payload.size() / 1e6, answer.frame.size() / 1e6);
  return zxbench::runWithRatios(
      argc, argv,
      {
          {"queryJobs / uncompress+unpack", "BM_QueryJobs/iterations:3/process_time",
           "BM_QueryFloor/iterations:3/process_time", 1.3},
          {"submit completion+pack+compress / compress", "BM_SubmitPrepare/min_time:2.000/process_time",
           "BM_SubmitFloor/min_time:2.000/process_time", 1.5},
      });
}
