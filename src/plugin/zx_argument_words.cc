// The words of a command's arguments: string arrays expanded, every other
// argument read as one string.
#include "plugin/zx_argument_words.h"

#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

namespace {
ZxString wordOf(const MString& s) { return ZxString(s.asChar(), static_cast<int>(s.length())); }
}  // namespace

void argumentWords(const MArgList& args, unsigned int first, ZxStringList& words) {
  const unsigned int n = args.length();
  for (unsigned int i = first; i < n; ++i) {
    MStringArray items;
    unsigned int at = i;
    if (args.get(at, items) == MStatus::kSuccess) {
      for (unsigned int k = 0; k < items.length(); ++k) words.add(wordOf(items[k]));
      continue;
    }
    words.add(wordOf(args.asString(i)));
  }
}
