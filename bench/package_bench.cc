// Package string benchmarks on an agenda-like package: one array of N work
// hashes. Writing, parsing (one level, then each element), and the compact
// conversions must grow linearly: the time for 100,000 items is judged
// against the time for 10,000 measured in the same run, each the median of
// five repetitions so that a busy machine does not decide the ratio.
#include <string>

#include "plugin/zx_package_string.h"
#include "plugin/zx_package_tree.h"
#include "zx_bench_ratios.h"
#include "model/zx_string_list.h"

namespace {

// A work hash of realistic size: a frame range name and a command line.
ZxString workHash(int i) {
  int first = i * 10 + 1;
  std::string range = std::to_string(first) + "-" + std::to_string(first + 9);
  std::string data = "render -r file -s " + std::to_string(first) + " -e " + std::to_string(first + 9) +
                     " -rd \"/proj/images/shot" + std::to_string(i % 100) + "\" /proj/scenes/shot_v012.mb";
  ZxStringList hash;
  hash.add("hash");
  hash.add("name");
  hash.add(ZxString(range.c_str()));
  hash.add("data");
  hash.add(ZxString(data.c_str()));
  hash.add("retries");
  hash.add("3");
  ZxString text;
  writePackage(hash, text);
  return text;
}

ZxStringList agendaList(int n) {
  ZxStringList list;
  list.add("array");
  for (int i = 0; i < n; ++i) list.add(workHash(i));
  return list;
}

ZxString agendaText(int n) {
  ZxString text;
  writePackage(agendaList(n), text);
  return text;
}

void BM_WritePackage(benchmark::State& state) {
  ZxStringList list = agendaList(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ZxString text;
    writePackage(list, text);
    benchmark::DoNotOptimize(text.c_str());
  }
}

void BM_ParsePackage(benchmark::State& state) {
  ZxString text = agendaText(static_cast<int>(state.range(0)));
  state.counters["bytes"] = text.length();
  for (auto _ : state) {
    ZxStringList top;
    parsePackage(text, top);
    ZxStringList element;
    int items = 0;
    for (int i = 1; i < top.count(); ++i) {
      parsePackage(*top.get(i), element);
      items += element.count();
    }
    benchmark::DoNotOptimize(items);
  }
}

void BM_PackageToCompact(benchmark::State& state) {
  ZxString text = agendaText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ZxString compact = packageToCompact(text);
    benchmark::DoNotOptimize(compact.c_str());
  }
}

void BM_CompactToPackage(benchmark::State& state) {
  ZxString compact = packageToCompact(agendaText(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    ZxString text = compactToPackage(compact);
    benchmark::DoNotOptimize(text.c_str());
  }
}

BENCHMARK(BM_WritePackage)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ParsePackage)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PackageToCompact)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CompactToPackage)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  return zxbench::runWithRatios(argc, argv,
                                {
                                    {"write 100k / 10k", "BM_WritePackage/100000/repeats:5_median",
                                     "BM_WritePackage/10000/repeats:5_median", 12.0},
                                    {"parse 100k / 10k", "BM_ParsePackage/100000/repeats:5_median",
                                     "BM_ParsePackage/10000/repeats:5_median", 12.0},
                                    {"to compact 100k / 10k", "BM_PackageToCompact/100000/repeats:5_median",
                                     "BM_PackageToCompact/10000/repeats:5_median", 12.0},
                                    {"from compact 100k / 10k", "BM_CompactToPackage/100000/repeats:5_median",
                                     "BM_CompactToPackage/10000/repeats:5_median", 12.0},
                                });
}
