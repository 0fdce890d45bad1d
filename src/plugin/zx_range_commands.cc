// The frame range commands: zxrangesplit and zxgenframes expand range texts
// and name patterns into single frames, zxrangechunk and zxgenchunks cut
// frame ranges into chunks. The "gen" variants shape their result as an
// unpacked array of work hashes ("array", "{name x}", ...).
//
// Every command takes any number of MEL string arrays; other arguments and
// empty arrays are skipped. All of them always succeed.
#include "plugin/zx_range_commands.h"

#include <new>

#include "plugin/zx_package_string.h"
#include "util/zx_frame_list.h"
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

void expandArguments(const MArgList& args, FrameList::Sink& sink) {
  int unused = 0;
  FrameList frames;
  frames.expand(gatherTexts(args, false, &unused).join(","), sink,
                FrameList::ExpandLimits{FrameList::kMaxExpandStrings, FrameList::kMaxExpandBytes});
}

void chunkArguments(const MArgList& args, ZxStringList& out) {
  int size = 0;  // no array at all: no chunks
  FrameList frames;
  frames.parse(gatherTexts(args, true, &size).join(","));
  frames.chunk(size, out);
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
  expandArguments(args, frames);
  MPxCommand::appendToResult(frames.array);
  return MStatus::kSuccess;
}

void* zxRangechunk::creator() { return new (std::nothrow) zxRangechunk; }
MStatus zxRangechunk::doIt(const MArgList& args) {
  ZxStringList chunks;
  chunkArguments(args, chunks);
  appendList(chunks);
  return MStatus::kSuccess;
}

void* zxGenframes::creator() { return new (std::nothrow) zxGenframes; }
MStatus zxGenframes::doIt(const MArgList& args) {
  MPxCommand::appendToResult("array");
  WorkHashSink hashes;
  expandArguments(args, hashes);
  return MStatus::kSuccess;
}

void* zxGenchunks::creator() { return new (std::nothrow) zxGenchunks; }
MStatus zxGenchunks::doIt(const MArgList& args) {
  ZxStringList chunks;
  chunkArguments(args, chunks);
  appendWorkHashes(chunks);
  return MStatus::kSuccess;
}
