// The zlib reference loops the encoding benchmarks are judged against:
// compress (default level) of the same bytes, timed per iteration.
#pragma once

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace zxbench {

// Compresses `bytes` once per iteration into a buffer made beforehand, and
// reports the bytes processed.
inline void compressEach(benchmark::State& state, const std::vector<char>& bytes) {
  std::vector<Bytef> dest(compressBound(bytes.size()));
  for (auto _ : state) {
    uLongf n = dest.size();
    int r = compress(dest.data(), &n, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
    if (r != Z_OK) state.SkipWithError("compress failed");
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

}  // namespace zxbench
