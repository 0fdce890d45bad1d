// Transport throughput and memory: frames of 1 KiB, 64 KiB, 1 MiB and
// 64 MiB of packed job records sent and received over loopback TCP (a
// client connection and a listener's connection, the receiver on its own
// thread), against zlib compress (default level) plus uncompress of the
// same bytes alone; and the peak memory of receiving one 64 MiB frame.
//
// Both are timed in process CPU time, so the frame path counts the
// sender's and the receiver's work and the system calls of both.
//
// Judged by: from 1 MiB up, framing, system calls and copies add at most
// 10 % to compress plus uncompress (time ratio at most 1.10); the smaller
// frames are shown for information. Receiving a 64 MiB frame raises the
// resident memory by at most 2.2 times the payload.
#include <zlib.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/zx_job.h"
#include "net/zx_connection.h"
#include "net/zx_frame.h"
#include "net/zx_listener.h"
#include "zx_bench_ratios.h"

namespace {

constexpr uint32_t kLoopback = 0x7F000001u;

ZxString text(const char* prefix, int n) { return ZxString(prefix).appendInt(n); }

// Packed job records, one job after another, cut to n bytes.
std::string recordBytes(size_t n) {
  std::string out;
  out.reserve(n + (64 << 10));
  for (int i = 0; out.size() < n; ++i) {
    ZxJob job;
    job.setId(100000 + i);
    job.setUser("alice.johnson");
    job.setName(text("seq040_shot", i % 500).append("_lighting_beauty_v012"));
    job.setCluster("/lighting/feature");
    job.setRequirements("host.os=\"linux\" and host.memory >= 32000");
    job.setLogpath(text("/studio/farm/logs/", 100000 + i));
    job.setTimeSubmit(ZxTime(850000000 + i));
    for (int w = 0; w < 100; ++w) {
      ZxWork* item = new ZxWork;
      item->setName(ZxString().appendPadded(1001 + w, 4));
      item->setHost(text("render-node-", 100 + (w * 7 + i) % 64).append(".farm.studio.example"));
      item->setStatus(ZxStatus(w < 60 ? 16 : 336));
      item->setAddress(ZxAddress(0x0A140000u + static_cast<uint32_t>((w + i) % 64)));
      item->setPid(100000 + i);
      item->setData(text("-s ", 1001 + w).append(" -e ").appendInt(1001 + w));
      if (w < 60) item->setResult(text("rendered, peak memory ", 18000 + (w * 131 + i) % 900).append(" MB"));
      item->setTimeStart(ZxTime(850000100 + w + i));
      job.agenda().append(item);
    }
    job.pack();
    out.append(job.buffer(), static_cast<size_t>(job.used()));
  }
  out.resize(n);
  return out;
}

const std::string& payload(size_t n) {
  static std::string* sizes[4] = {};
  const int slot = n <= (1 << 10) ? 0 : n <= (64 << 10) ? 1 : n <= (1 << 20) ? 2 : 3;
  if (!sizes[slot]) sizes[slot] = new std::string(recordBytes(n));
  return *sizes[slot];
}

// A client connection to a listener on 127.0.0.1, with a thread that
// receives every frame the client sends on the listener's side.
class Link {
 public:
  explicit Link(int clientKind) {
    const int i = listener_.addEntry(kLoopback, 0, ZxConnection::kTcp);
    if (!listener_.open(i)) return;
    client_.reset(new ZxConnection("127.0.0.1", listener_.entry(i).boundPort, clientKind));
    if (listener_.wait(0) != i) return;
    served_ = listener_.accept(i);
    if (!served_) return;
    thread_ = std::thread([this] { receiveAll(); });
  }
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;
  ~Link() {
    if (client_) client_->close();  // the receiver sees the close and stops
    if (thread_.joinable()) thread_.join();
  }

  bool ready() const { return client_ && client_->isActive() && served_; }
  ZxConnection& client() { return *client_; }
  // Sets what the next frame must hold (checked outside the timed loop).
  void expect(const std::string* bytes) { expected_ = bytes; }
  // Waits until `count` frames have been received in all; false when the
  // receiver stopped or a checked frame differed.
  bool waitFor(long count) {
    std::unique_lock<std::mutex> hold(mutex_);
    done_.wait(hold, [&] { return received_ >= count || stopped_; });
    return received_ >= count && !mismatch_;
  }
  // The payload of the last frame (kept only when asked to).
  ZxByteBuffer& last() { return frame_; }

 private:
  void receiveAll() {
    for (;;) {
      const bool ok = served_->receive(frame_);
      std::lock_guard<std::mutex> hold(mutex_);
      if (!ok) {
        stopped_ = true;
        done_.notify_all();
        return;
      }
      if (expected_) {
        mismatch_ = mismatch_ || frame_.size() != expected_->size() ||
                    std::memcmp(frame_.data(), expected_->data(), frame_.size()) != 0;
        expected_ = nullptr;
      }
      ++received_;
      done_.notify_all();
    }
  }

  ZxListener listener_;
  std::unique_ptr<ZxConnection> client_;
  std::unique_ptr<ZxConnection> served_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable done_;
  long received_ = 0;
  bool stopped_ = false;
  bool mismatch_ = false;
  const std::string* expected_ = nullptr;
  ZxByteBuffer frame_;
};

void setBytes(benchmark::State& state, size_t n) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}

// One frame sent by the client and received, whole, on the other side.
void BM_Frame(benchmark::State& state) {
  const std::string& bytes = payload(static_cast<size_t>(state.range(0)));
  Link link(ZxConnection::kTcp);
  if (!link.ready()) {
    state.SkipWithError("no loopback link");
    return;
  }
  link.expect(&bytes);
  long sent = 1;
  if (link.client().send(bytes.data(), bytes.size()) <= 0 || !link.waitFor(sent)) {
    state.SkipWithError("frame lost or changed");
    return;
  }
  for (auto _ : state) {
    if (link.client().send(bytes.data(), bytes.size()) <= 0 || !link.waitFor(++sent)) {
      state.SkipWithError("frame lost");
      break;
    }
  }
  setBytes(state, bytes.size());
}

// The floor: compress and uncompress of the same bytes, nothing else.
void BM_Zlib(benchmark::State& state) {
  const std::string& bytes = payload(static_cast<size_t>(state.range(0)));
  std::vector<Bytef> packed(compressBound(bytes.size()));
  std::vector<Bytef> back(bytes.size());
  for (auto _ : state) {
    uLongf c = packed.size();
    uLongf u = back.size();
    if (compress(packed.data(), &c, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()) != Z_OK ||
        uncompress(back.data(), &u, packed.data(), c) != Z_OK || u != bytes.size())
      state.SkipWithError("zlib failed");
    benchmark::ClobberMemory();
  }
  setBytes(state, bytes.size());
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20)->Arg(64 << 20)->MinTime(1.0)->MeasureProcessCPUTime()->Unit(
      benchmark::kMillisecond);
}
BENCHMARK(BM_Frame)->Apply(sizes);
BENCHMARK(BM_Zlib)->Apply(sizes);

// ---- memory ------------------------------------------------------------------------

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); -1 when unknown.
long long statusBytes(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.compare(0, key.size(), key) == 0) return std::atoll(line.c_str() + key.size()) * 1024;
  return -1;
}

// Receives one 64 MiB frame and prints how far the resident memory rose
// above what it was before (the peak is reset first). The frame is made
// beforehand and sent as raw bytes, so the sender allocates nothing while
// the receiver is measured.
int measureReceiveMemory() {
  const std::string& bytes = payload(64 << 20);
  ZxByteBuffer frame;
  if (ZxFrame::encodeFrame(bytes.data(), bytes.size(), frame) != 0) return 1;
  ZxListener listener;
  const int i = listener.addEntry(kLoopback, 0, ZxConnection::kTcp);
  if (!listener.open(i)) return 1;
  ZxConnection sender("127.0.0.1", listener.entry(i).boundPort, ZxConnection::kRawTcp);
  if (listener.wait(0) != i) return 1;
  std::unique_ptr<ZxConnection> served = listener.accept(i);
  if (!served) return 1;

  const long long before = statusBytes("VmRSS");
  std::ofstream reset("/proc/self/clear_refs");
  reset << "5" << std::flush;  // resets the peak (VmHWM) to the current size
  if (before < 0 || !reset) {
    std::printf("ratio peak receive memory / payload: not measured (no /proc/self/clear_refs)\n");
    return 0;
  }
  std::thread send([&] { sender.send(frame.data(), frame.size()); });
  ZxByteBuffer out;
  const bool ok = served->receive(out);
  send.join();
  const long long peak = statusBytes("VmHWM");
  if (!ok || out.size() != bytes.size() || std::memcmp(out.data(), bytes.data(), bytes.size()) != 0) {
    std::printf("memory: the 64 MiB frame did not arrive whole\n");
    return 1;
  }
  const double mb = 1024.0 * 1024.0;
  const double ratio = static_cast<double>(peak - before) / static_cast<double>(bytes.size());
  const bool within = ratio <= 2.2;
  std::printf("memory: frame %.1f MB compressed, payload %.1f MB; resident before %.1f MB, peak %.1f MB\n",
              (frame.size() - ZxFrame::kHeaderSize) / mb, bytes.size() / mb, before / mb, peak / mb);
  std::printf("ratio peak receive memory / payload = %.2f (limit <= 2.20) %s\n", ratio,
              within ? "ok" : "FAIL");
  return within ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int memory = measureReceiveMemory();
  for (size_t n : {size_t(1) << 10, size_t(64) << 10, size_t(1) << 20})
    std::printf("payload %zu bytes of packed jobs\n", payload(n).size());
  const int status =
      zxbench::runWithRatios(argc, argv,
                             {
                                 {"frame / zlib, 1 MiB", "BM_Frame/1048576/min_time:1.000/process_time",
                                  "BM_Zlib/1048576/min_time:1.000/process_time", 1.10},
                                 {"frame / zlib, 64 MiB", "BM_Frame/67108864/min_time:1.000/process_time",
                                  "BM_Zlib/67108864/min_time:1.000/process_time", 1.10},
                                 // Informational: small frames are dominated by system calls and
                                 // the thread hand-over, not by compression.
                                 {"frame / zlib, 1 KiB", "BM_Frame/1024/min_time:1.000/process_time",
                                  "BM_Zlib/1024/min_time:1.000/process_time", 1000.0},
                                 {"frame / zlib, 64 KiB", "BM_Frame/65536/min_time:1.000/process_time",
                                  "BM_Zlib/65536/min_time:1.000/process_time", 1000.0},
                             });
  return memory | status;
}
