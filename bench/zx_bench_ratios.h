// Runs the registered Google Benchmarks, remembers each benchmark's CPU
// time per iteration (steadier than wall time on a shared machine), and then prints the ratios a benchmark is judged by:
// a time against another time measured in the same run (a larger input, or
// a reference such as memcpy or zlib on the same bytes).
//
//   int main(int argc, char** argv) {
//     return zxbench::runWithRatios(argc, argv, {
//         {"expand 100k / 10k", "BM_Expand/100000", "BM_Expand/10000", 12.0},
//     });
//   }
//
// A ratio line reads "ratio NAME = VALUE (limit <= LIMIT) ok|FAIL"; the exit
// status is 1 when a ratio breaks its limit. A ratio whose benchmarks were
// filtered out on the command line is reported as not measured.
#pragma once

#include <benchmark/benchmark.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zxbench {

struct Ratio {
  std::string name;
  std::string numerator;    // benchmark name whose time is divided ...
  std::string denominator;  // ... by this one's
  double limit;             // the ratio must stay at or below this
};

class TimeCollector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.iterations > 0)
        seconds_[r.benchmark_name()] = r.cpu_accumulated_time / static_cast<double>(r.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, double>& seconds() const { return seconds_; }

 private:
  std::map<std::string, double> seconds_;
};

// Keeps freed memory in the process. Benchmarks free all they built at the
// end of every iteration; glibc would give those pages back to the system
// and fault them in again on the next iteration, a cost that grows with the
// working set (page faults) rather than with the algorithm. A host process
// such as Maya keeps its heap warm: so do the benchmarks, for all sizes alike.
inline void keepHeapWarm() {
#if defined(__GLIBC__)
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
#endif
}

inline int runWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
  keepHeapWarm();
  benchmark::Initialize(&argc, argv);
  TimeCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();
  int status = 0;
  for (const Ratio& r : ratios) {
    auto num = collector.seconds().find(r.numerator);
    auto den = collector.seconds().find(r.denominator);
    if (num == collector.seconds().end() || den == collector.seconds().end() || den->second <= 0) {
      std::printf("ratio %s: not measured (%s / %s)\n", r.name.c_str(), r.numerator.c_str(), r.denominator.c_str());
      continue;  // filtered out on the command line
    }
    double value = num->second / den->second;
    bool ok = value <= r.limit;
    if (!ok) status = 1;
    std::printf("ratio %s = %.2f (limit <= %.2f) %s\n", r.name.c_str(), value, r.limit, ok ? "ok" : "FAIL");
  }
  return status;
}

}  // namespace zxbench
