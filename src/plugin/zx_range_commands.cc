// The frame range commands: zxrangesplit and zxgenframes expand range texts
// and name patterns into single frames, zxrangechunk and zxgenchunks cut
// frame ranges into chunks. The "gen" variants shape their result as an
// unpacked array of work hashes ("array", "{name x}", ...).
//
// Every command takes any number of MEL string arrays; other arguments and
// empty arrays are skipped. They succeed with the whole list, or, when the
// list would pass one of FrameList's bounds (kMaxFrames frames, names of
// more than kMaxExpandBytes, kMaxChunks chunks), fail with an empty result
// and an error naming the bound: a list is never cut short silently.
// Chunks are worked out from the ranges themselves, so they cost what the
// chunks cost, not what the frames would.
#include "plugin/zx_range_commands.h"

#include <cstdio>
#include <new>

#include "plugin/zx_package_string.h"
#include "util/zx_frame_list.h"
#include "util/zx_out_of_memory.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

namespace {

// The texts of all string-array arguments, in order. With `sized`, the first
// element of each array is the chunk size instead (the last array wins) and
// only the others are texts.
ZxStringList gatherTexts(const MArgList& args, bool sized, int* size) {
  ZxStringList texts;
  for (unsigned int i = 0; i < args.length(); ++i) {
    MStringArray array;
    if (args.get(i, array) != MStatus::kSuccess || array.length() == 0) continue;
    unsigned int from = 0;
    if (sized) {
      *size = ZxString(array[0].asChar(), static_cast<int>(array[0].length())).toInt();
      from = 1;
    }
    for (unsigned int k = from; k < array.length(); ++k)
      texts.add(ZxString(array[k].asChar(), static_cast<int>(array[k].length())));
  }
  return texts;
}

FrameList::Outcome expandArguments(const MArgList& args, FrameList::Sink& sink) {
  int unused = 0;
  FrameList frames;
  return frames.expand(gatherTexts(args, false, &unused).join(","), sink,
                       FrameList::ExpandLimits{FrameList::kMaxExpandStrings, FrameList::kMaxExpandBytes});
}

FrameList::Outcome chunkArguments(const MArgList& args, ZxStringList& out) {
  int size = 0;  // no array at all: no chunks
  ZxString text = gatherTexts(args, true, &size).join(",");
  return FrameList::chunkRanges(text, size, out);
}

// A list that would have been cut short is no answer: the command fails
// with an empty result and names the limit it met.
MStatus failCut(const char* command, FrameList::Outcome why) {
  char message[160];
  switch (why) {
    case FrameList::Outcome::kTooManyFrames:
      std::snprintf(message, sizeof message,
                    "%s: the ranges hold more than %d frames, the most one command lists", command,
                    FrameList::kMaxFrames);
      break;
    case FrameList::Outcome::kTooManyStrings:
      std::snprintf(message, sizeof message,
                    "%s: the texts give more than %d names, the most one command lists", command,
                    FrameList::kMaxExpandStrings);
      break;
    case FrameList::Outcome::kTooManyBytes:
      std::snprintf(message, sizeof message,
                    "%s: the names would take more than %d MiB, the most one command lists", command,
                    static_cast<int>(FrameList::kMaxExpandBytes >> 20));
      break;
    case FrameList::Outcome::kTooManyRanges:
      std::snprintf(message, sizeof message,
                    "%s: the text holds more than %d separate ranges, the most one command reads", command,
                    FrameList::kMaxRanges);
      break;
    case FrameList::Outcome::kTooManyChunks:
      std::snprintf(message, sizeof message,
                    "%s: the ranges give more than %d chunks, the most one command lists", command,
                    FrameList::kMaxChunks);
      break;
    default:
      // Memory ran out: the command boundary says so, once.
      ZxOutOfMemory::note();
      MPxCommand::clearResult();
      return MStatus::kFailure;
  }
  MPxCommand::clearResult();
  MPxCommand::displayError(MString(message));
  return MStatus::kFailure;
}

MString toMString(const ZxString& s) { return MString(s.c_str(), s.length()); }

// Writes into `out` (emptied first; its buffer is reused from call to call)
// the package string of ("hash", "name", x), as the one-level package writer
// would: "{name " + the quoted element x + "}".
void writeNameHash(const char* x, int n, ZxString& out) {
  out.clear();
  out.append("{name ");
  appendQuotedElement(x, n, out);
  out.append('}');
}

// Collects the frame strings of zxrangesplit.
class ArraySink : public FrameList::Sink {
 public:
  bool take(const char* bytes, int n) override {
    array.append(MString(bytes, n));
    return true;
  }
  MStringArray array;
};

// Appends the work hash of each frame string of zxgenframes to the result.
class WorkHashSink : public FrameList::Sink {
 public:
  bool take(const char* bytes, int n) override {
    writeNameHash(bytes, n, hash_);
    MPxCommand::appendToResult(toMString(hash_));
    return true;
  }

 private:
  ZxString hash_;
};

// A list result: one string array, empty when there is nothing.
void appendList(const ZxStringList& items) {
  MStringArray result;
  for (int i = 0; i < items.count(); ++i) result.append(toMString(*items.get(i)));
  MPxCommand::appendToResult(result);
}

// A "gen" result: "array", then the work hash of each item.
void appendWorkHashes(const ZxStringList& items) {
  MPxCommand::appendToResult("array");
  ZxString hash;
  for (int i = 0; i < items.count(); ++i) {
    writeNameHash(items.get(i)->c_str(), items.get(i)->length(), hash);
    MPxCommand::appendToResult(toMString(hash));
  }
}

}  // namespace

void* zxRangesplit::creator() { return new (std::nothrow) zxRangesplit; }
MStatus zxRangesplit::doIt(const MArgList& args) {
  ArraySink frames;
  FrameList::Outcome outcome = expandArguments(args, frames);
  if (outcome != FrameList::Outcome::kComplete) return failCut("zxrangesplit", outcome);
  MPxCommand::appendToResult(frames.array);
  return MStatus::kSuccess;
}

void* zxRangechunk::creator() { return new (std::nothrow) zxRangechunk; }
MStatus zxRangechunk::doIt(const MArgList& args) {
  ZxStringList chunks;
  FrameList::Outcome outcome = chunkArguments(args, chunks);
  if (outcome != FrameList::Outcome::kComplete) return failCut("zxrangechunk", outcome);
  appendList(chunks);
  return MStatus::kSuccess;
}

void* zxGenframes::creator() { return new (std::nothrow) zxGenframes; }
MStatus zxGenframes::doIt(const MArgList& args) {
  MPxCommand::appendToResult("array");
  WorkHashSink hashes;
  FrameList::Outcome outcome = expandArguments(args, hashes);
  if (outcome != FrameList::Outcome::kComplete) return failCut("zxgenframes", outcome);
  return MStatus::kSuccess;
}

void* zxGenchunks::creator() { return new (std::nothrow) zxGenchunks; }
MStatus zxGenchunks::doIt(const MArgList& args) {
  ZxStringList chunks;
  FrameList::Outcome outcome = chunkArguments(args, chunks);
  if (outcome != FrameList::Outcome::kComplete) return failCut("zxgenchunks", outcome);
  appendWorkHashes(chunks);
  return MStatus::kSuccess;
}
