// Parsing of the text form into a tree of ZxTextNode, with Expat.
#pragma once

#include <memory>

#include "serial/zx_text_node.h"

namespace zxtext {

// Parses `n` bytes of text with a single root element. On success answers
// the root node (owned by the caller) and sets *result to 0; otherwise
// answers null and sets *result to 4 (not well-formed) or 5 (no parser).
//
// Object elements nested deeper than `maxNesting` below the first object
// are dropped together with the rest of the object that holds them.
// Entity declarations are refused (no text form of this library has one),
// so no entity can expand the input.
std::unique_ptr<ZxTextNode> parse(const char* text, int n, int maxNesting, int* result);

}  // namespace zxtext
