// Fuzz target: the flat "key = value" reader (ZxConfigFile::parse) and the
// template rewriter on arbitrary text.
// Property: the listing of the pairs read, parsed again, gives the same
// pairs (appendPair writes every value so that it reads back). The one
// exception is a value that only braces can hold (it has a line break, or
// both kinds of quote) whose braces do not pair up: it can come only from a
// brace left open at the end of a text, and the format has no escape for it.
// The template rewriter runs on the same text.
#include "config/zx_config_file.h"
#include "fuzz_support.h"
#include "model/zx_string_list.h"

namespace {
bool bracesPair(const ZxString& v) {
  int depth = 0;
  for (int i = 0; i < v.length(); ++i) {
    if (v.charAt(i) == '{') ++depth;
    if (v.charAt(i) == '}' && --depth < 0) return false;
  }
  return depth == 0;
}

bool writable(const ZxString& v) {
  bool bracedOnly = v.hasLineBreak() || (v.contains('"') && v.contains('\''));
  return !bracedOnly || bracesPair(v);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxString input = zxfuzz::text(data, size);
  ZxConfigFile file;
  file.parse(input);

  // Keys compare as C strings, so keys that differ only after a NUL byte
  // are one key: the round trip is checked on texts without NUL bytes.
  if (std::memchr(data, 0, size)) return 0;
  ZxStringList keys;
  file.keys(keys);
  for (int i = 0; i < keys.count(); ++i)
    if (!writable(file.get(*keys.get(i)))) return 0;

  ZxString listing = file.listing();
  ZxConfigFile back;
  back.parse(listing);
  ZX_FUZZ_CHECK(back.count() == file.count());
  for (int i = 0; i < keys.count(); ++i) {
    const ZxString& key = *keys.get(i);
    ZX_FUZZ_CHECK(back.has(key));
    ZX_FUZZ_CHECK(zxfuzz::same(back.get(key), file.get(key)));
  }

  // The same text as a template for the pairs it defines.
  file.rewriteText(input);
  return 0;
}
