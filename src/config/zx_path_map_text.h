// Filling a job's path map record (ZxPathMap) from a path map text: a
// sectioned configuration text whose section "direct" holds the direct
// translations (source = target) and whose section "logical" holds the
// logical ones. Other sections are ignored.
//
// The function fills a record the caller owns; nothing is kept.
#pragma once

#include "model/zx_path_map.h"
#include "util/zx_string.h"

namespace zxpathmap {

// Copies every pair of the section "direct" into "direct_map" and every pair
// of "logical" into "logical_map", replacing pairs of the same key. A text
// without these sections adds nothing.
void addText(ZxPathMap& map, const ZxString& text);

}  // namespace zxpathmap
