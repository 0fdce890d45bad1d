// Encoding throughput: pack and unpack of a list of one million short
// strings and of a list of 100,000 nested job ids, against memcpy and zlib
// compress (default level) of the same bytes; and hash insert plus find of
// 100,000 and 1,000,000 distinct keys.
//
// Judged by: pack and unpack at least 10 times faster than compress of the
// same bytes (time ratio at most 0.1), and the hash staying linear (time of
// 1,000,000 keys at most 12 times that of 100,000).

#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/zx_job_id_list.h"
#include "model/zx_string_hash.h"
#include "model/zx_string_list.h"
#include "zx_bench_ratios.h"
#include "zx_bench_zlib.h"

namespace {

const ZxStringList& stringList() {
  static ZxStringList* list = [] {
    auto* l = new ZxStringList;
    for (int i = 0; i < 1000000; ++i) l->add(ZxString("item").appendInt(i));
    return l;
  }();
  return *list;
}

const ZxJobIdList& idList() {
  static ZxJobIdList* list = [] {
    auto* l = new ZxJobIdList;
    for (int i = 0; i < 100000; ++i) l->append(new ZxJobId(1000 + i, i % 7 - 2));
    return l;
  }();
  return *list;
}

template <class L>
std::vector<char> packedBytes(const L& list) {
  L copy(list);
  copy.pack();
  return std::vector<char>(copy.buffer(), copy.buffer() + copy.used());
}

const std::vector<char>& stringBytes() {
  static std::vector<char> b = packedBytes(stringList());
  return b;
}
const std::vector<char>& idBytes() {
  static std::vector<char> b = packedBytes(idList());
  return b;
}

template <class L>
void runPack(benchmark::State& state, const L& source, const std::vector<char>& bytes) {
  L list(source);
  for (auto _ : state) {
    int n = list.pack();
    benchmark::DoNotOptimize(n);
    if (n != static_cast<int>(bytes.size())) state.SkipWithError("size differs");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

template <class L>
void runUnpack(benchmark::State& state, const std::vector<char>& bytes, int expected) {
  for (auto _ : state) {
    std::unique_ptr<L> list(new L);
    int r = list->unpack(bytes.data(), static_cast<int>(bytes.size()));
    if (r != 0 || list->count() != expected) state.SkipWithError("decoding failed");
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void runMemcpy(benchmark::State& state, const std::vector<char>& bytes) {
  std::vector<char> dest(bytes.size());
  for (auto _ : state) {
    std::memcpy(dest.data(), bytes.data(), bytes.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void BM_PackStrings(benchmark::State& s) { runPack(s, stringList(), stringBytes()); }
void BM_UnpackStrings(benchmark::State& s) { runUnpack<ZxStringList>(s, stringBytes(), 1000000); }
void BM_MemcpyStrings(benchmark::State& s) { runMemcpy(s, stringBytes()); }
void BM_CompressStrings(benchmark::State& s) { zxbench::compressEach(s, stringBytes()); }
void BM_PackJobIds(benchmark::State& s) { runPack(s, idList(), idBytes()); }
void BM_UnpackJobIds(benchmark::State& s) { runUnpack<ZxJobIdList>(s, idBytes(), 100000); }
void BM_MemcpyJobIds(benchmark::State& s) { runMemcpy(s, idBytes()); }
void BM_CompressJobIds(benchmark::State& s) { zxbench::compressEach(s, idBytes()); }

BENCHMARK(BM_PackStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackJobIds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackJobIds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyJobIds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressJobIds)->Unit(benchmark::kMillisecond);

// Inserts n distinct keys into a fresh hash, then finds every one.
void BM_HashInsertFind(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<ZxString> keys;
  keys.reserve(n);
  for (int i = 0; i < n; ++i) keys.push_back(ZxString("frame_").appendInt(i * 7919));
  for (auto _ : state) {
    std::unique_ptr<ZxIntHash> h(new ZxIntHash);
    for (int i = 0; i < n; ++i) h->insert(keys[i], i);
    long long found = 0;
    for (int i = 0; i < n; ++i) found += h->find(keys[i]) != nullptr;
    if (found != n) state.SkipWithError("key lost");
    state.PauseTiming();
    h.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * n);
}
BENCHMARK(BM_HashInsertFind)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Reference for the memory hierarchy: the standard library's hash map on
// the same keys. Its 1M / 100k ratio shows what the cache alone costs.
void BM_StdHashInsertFind(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<std::string> keys;
  keys.reserve(n);
  for (int i = 0; i < n; ++i) keys.push_back(ZxString("frame_").appendInt(i * 7919).c_str());
  for (auto _ : state) {
    std::unique_ptr<std::unordered_map<std::string, int>> h(new std::unordered_map<std::string, int>);
    for (int i = 0; i < n; ++i) (*h)[keys[i]] = i;
    long long found = 0;
    for (int i = 0; i < n; ++i) found += h->count(keys[i]);
    if (found != n) state.SkipWithError("key lost");
    state.PauseTiming();
    h.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * n);
}
BENCHMARK(BM_StdHashInsertFind)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return zxbench::runWithRatios(
      argc, argv,
      {
          {"pack strings / compress", "BM_PackStrings", "BM_CompressStrings", 0.1},
          {"unpack strings / compress", "BM_UnpackStrings", "BM_CompressStrings", 0.1},
          {"pack job ids / compress", "BM_PackJobIds", "BM_CompressJobIds", 0.1},
          {"unpack job ids / compress", "BM_UnpackJobIds", "BM_CompressJobIds", 0.1},
          {"hash 1M / 100k keys", "BM_HashInsertFind/1000000", "BM_HashInsertFind/100000", 12.0},
          // Informational (no real limit): the standard map's scaling on the
          // same keys shows the cost of the cache alone, and ours against it.
          {"std map 1M / 100k keys", "BM_StdHashInsertFind/1000000", "BM_StdHashInsertFind/100000", 1000.0},
          {"hash / std map, 1M keys", "BM_HashInsertFind/1000000", "BM_StdHashInsertFind/1000000", 1000.0},
      });
}
