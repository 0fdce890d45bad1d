// Frame range speed: expanding "1-N", chunking N frames by 10, and the
// zxgenframes command on "1-N" through its plug-in entry, each at N = 10,000
// and N = 100,000. Every row must grow linearly: ten times the frames may
// cost at most twelve times the time.
#include <benchmark/benchmark.h>
#include <maya/MArgList.h>
#include <maya/MStringArray.h>
#include <mayahost/host.h>


#include <memory>
#include <string>

#include "plugin/zx_range_commands.h"
#include "util/zx_frame_list.h"
#include "model/zx_string_list.h"
#include "zx_bench_ratios.h"

namespace {

ZxString rangeUpTo(int n) {
  ZxString text("1-");
  text.appendInt(n);
  return text;
}

void BM_ExpandRange(benchmark::State& state) {
  const ZxString text = rangeUpTo(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FrameList frames;
    ZxStringList out;
    frames.expand(text, out);
    benchmark::DoNotOptimize(out.count());
  }
}
BENCHMARK(BM_ExpandRange)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ChunkBy10(benchmark::State& state) {
  // The frames of "1-N", as zxrangechunk parses them; each iteration chunks
  // its own copy, so the copy is part of the time.
  FrameList source;
  source.parse(rangeUpTo(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    FrameList frames(source);
    ZxStringList out;
    frames.chunk(10, out);
    benchmark::DoNotOptimize(out.count());
  }
}
BENCHMARK(BM_ChunkBy10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_Genframes(benchmark::State& state) {
  MStringArray ranges;
  ranges.append(MString(rangeUpTo(static_cast<int>(state.range(0))).c_str()));
  MArgList args;
  args.addStringArray(ranges);
  for (auto _ : state) {
    mayahost::currentResult().clear();
    std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(zxGenframes::creator()));
    command->doIt(args);
    benchmark::DoNotOptimize(mayahost::currentResult().array.size());
  }
  mayahost::currentResult().clear();
}
BENCHMARK(BM_Genframes)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return zxbench::runWithRatios(
      argc, argv,
      {
          {"expand 100k / 10k", "BM_ExpandRange/100000", "BM_ExpandRange/10000", 12.0},
          {"chunk 100k / 10k", "BM_ChunkBy10/100000", "BM_ChunkBy10/10000", 12.0},
          {"zxgenframes 100k / 10k", "BM_Genframes/100000", "BM_Genframes/10000", 12.0},
      });
}
