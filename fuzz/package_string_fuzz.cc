// Fuzz target: the one-level package parser and writer.
// Properties: writing a parsed array or hash level and parsing that text
// again gives the same elements; a level built from arbitrary elements
// (the input cut at NUL bytes) written by writePackage parses back to them.
#include "fuzz_support.h"
#include "plugin/zx_package_string.h"
#include "model/zx_string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxString input = zxfuzz::text(data, size);

  ZxStringList parsed;
  parsePackage(input, parsed);
  ZX_FUZZ_CHECK(parsed.count() >= 1);
  const ZxString& kind = *parsed.get(0);
  if (kind == "scalar") {
    ZX_FUZZ_CHECK(parsed.count() == 2 && zxfuzz::same(*parsed.get(1), input));
  } else {
    ZxString written;
    writePackage(parsed, written);
    ZxStringList again;
    parsePackage(written, again);
    ZX_FUZZ_CHECK(zxfuzz::same(parsed, again));
  }

  // The input as a list: the first byte picks array or hash, the rest is cut
  // into elements at NUL bytes.
  if (size > 0) {
    ZxStringList list;
    list.add((data[0] & 1) ? "hash" : "array");
    const char* p = reinterpret_cast<const char*>(data) + 1;
    int n = static_cast<int>(size) - 1;
    int start = 0;
    for (int i = 0; i <= n; ++i) {
      if (i < n && p[i] != '\0') continue;
      if (n > 0) list.add(ZxString(p + start, i - start));
      start = i + 1;
    }
    ZxString written;
    writePackage(list, written);
    ZxStringList back;
    parsePackage(written, back);
    ZX_FUZZ_CHECK(zxfuzz::same(list, back));
  }
  return 0;
}
