// The MEL host's built-in commands: a table of name and function.
//
// A built-in receives its evaluated arguments and sets its result; it
// returns false after reporting an error. To add one, write the function in
// zx_mel_builtins.cc and add a row to its table.
#pragma once

#include <string>
#include <vector>

#include "zx_mel_value.h"

namespace mel {

class Interpreter;

using BuiltinFunction = bool (*)(Interpreter& interp, std::vector<Value>& args, Value& result);

struct BuiltinCommand {
  const char* name;
  BuiltinFunction run;
};

// The built-in of that name, or null.
const BuiltinCommand* findBuiltin(const std::string& name);

}  // namespace mel
