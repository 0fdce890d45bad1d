// The MEL parser: builds a Program from script text.
//
// Statements: declarations (`string`, `int`, `float`, arrays, `global`),
// expression statements, command-syntax calls (`name word "text" 12 $v;`),
// blocks, if/else, while, do/while, C-style for, for-in, break, continue,
// return, and `global proc` definitions (top level only).
#pragma once

#include <string>

#include "zx_mel_ast.h"
#include "zx_mel_lexer.h"

namespace mel {

// Parses the whole text. On failure returns false and fills `error` with the
// line, column and message of the first syntax error.
bool parseProgram(const std::string& text, Program& out, SyntaxError& error);

}  // namespace mel
