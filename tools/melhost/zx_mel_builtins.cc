// The built-in commands of the MEL host.
//
//   print VALUE           writes the value to stdout (array: one element per line)
//   size(VALUE)           elements of an array, bytes of a string
//   clear($array)         empties an array variable (handled by the interpreter)
//   error TEXT            shows TEXT as an error and stops the script
//   warning TEXT          shows TEXT as a warning
//   exists NAME           1 when NAME is a command or procedure, else 0
//   catch(EXPR)           1 when EXPR failed, else 0; the script goes on (handled by
//                         the interpreter, as is catchQuiet, which also hides the errors)
//   eval TEXT...          runs the MEL text (the words joined by blanks); its value
//   source PATH           runs a MEL file
//   getenv NAME           the value of the environment variable NAME, "" when unset
//   loadPlugin PATH       loads a plug-in; answers its name
//   unloadPlugin NAME     unloads a plug-in by name or path
//   zxhost_undo_count     host only: the number of commands on the undo queue
#include "zx_mel_builtins.h"

#include <cstdlib>
#include <cstring>

#include "zx_mel_interpreter.h"
#include "zx_mel_ui_commands.h"

namespace mel {
namespace {

bool wrongCount(Interpreter& in, const char* name) {
  return in.reportError(std::string("Wrong number of arguments on call to ") + name + ".");
}

bool builtinPrint(Interpreter& in, std::vector<Value>& args, Value&) {
  if (args.size() != 1) return wrongCount(in, "print");
  const Value& v = args[0];
  if (v.isArray()) {
    std::string text;
    for (const Value& item : v.items) text += asText(item) + "\n";
    in.writeOut(text);
  } else {
    in.writeOut(asText(v));
  }
  return true;
}

bool builtinSize(Interpreter& in, std::vector<Value>& args, Value& out) {
  if (args.size() != 1) return wrongCount(in, "size");
  const Value& v = args[0];
  if (v.isArray())
    out = Value::ofInt(static_cast<long long>(v.items.size()));
  else if (v.kind == Value::Kind::kString)
    out = Value::ofInt(static_cast<long long>(v.text.size()));
  else
    return in.reportError("size: the argument must be an array or a string.");
  return true;
}

bool builtinClear(Interpreter& in, std::vector<Value>& args, Value&) {
  if (args.size() != 1) return wrongCount(in, "clear");
  return in.reportError("clear: the argument must be an array variable.");
}

// catch and catchQuiet are evaluated by the interpreter; only a call with
// the wrong number of arguments reaches here.
bool builtinCatch(Interpreter& in, std::vector<Value>&, Value&) { return wrongCount(in, "catch"); }

bool builtinError(Interpreter& in, std::vector<Value>& args, Value&) {
  if (args.size() != 1) return wrongCount(in, "error");
  return in.reportError(asText(args[0]));
}

bool builtinWarning(Interpreter& in, std::vector<Value>& args, Value&) {
  if (args.size() != 1) return wrongCount(in, "warning");
  in.displayWarning(asText(args[0]));
  return true;
}

bool builtinExists(Interpreter& in, std::vector<Value>& args, Value& out) {
  if (args.size() != 1) return wrongCount(in, "exists");
  out = Value::ofInt(in.commandExists(asText(args[0])) ? 1 : 0);
  return true;
}

bool builtinEval(Interpreter& in, std::vector<Value>& args, Value& out) {
  if (args.empty()) return wrongCount(in, "eval");
  std::string text;
  for (const Value& a : args) {
    if (!text.empty()) text += ' ';
    text += asText(a);
  }
  return in.executeText(text, true, &out);
}

bool builtinSource(Interpreter& in, std::vector<Value>& args, Value&) {
  if (args.size() != 1) return wrongCount(in, "source");
  return in.sourceScript(asText(args[0]));
}

bool builtinGetenv(Interpreter& in, std::vector<Value>& args, Value& out) {
  if (args.size() != 1) return wrongCount(in, "getenv");
  const char* value = std::getenv(asText(args[0]).c_str());
  out = Value::ofString(value ? value : "");
  return true;
}

bool builtinLoadPlugin(Interpreter& in, std::vector<Value>& args, Value& out) {
  if (args.size() != 1) return wrongCount(in, "loadPlugin");
  std::string path = asText(args[0]), name, error;
  if (!in.plugins().load(path, name, error)) {
    in.markSyntaxOrLoadError();
    return in.reportError("plug-in \"" + path + "\" cannot be loaded: " + error);
  }
  out = Value::ofStrings({name});
  return true;
}

bool builtinUnloadPlugin(Interpreter& in, std::vector<Value>& args, Value&) {
  if (args.size() != 1) return wrongCount(in, "unloadPlugin");
  std::string error;
  if (!in.plugins().unload(asText(args[0]), error)) return in.reportError("unloadPlugin: " + error);
  return true;
}

bool builtinUndoCount(Interpreter& in, std::vector<Value>& args, Value& out) {
  if (!args.empty()) return wrongCount(in, "zxhost_undo_count");
  out = Value::ofInt(in.plugins().undoCount());
  return true;
}

const BuiltinCommand kBuiltins[] = {
    {"print", builtinPrint},
    {"size", builtinSize},
    {"clear", builtinClear},
    {"catch", builtinCatch},
    {"catchQuiet", builtinCatch},
    {"error", builtinError},
    {"warning", builtinWarning},
    {"exists", builtinExists},
    {"eval", builtinEval},
    {"source", builtinSource},
    {"getenv", builtinGetenv},
    {"loadPlugin", builtinLoadPlugin},
    {"unloadPlugin", builtinUnloadPlugin},
    {"zxhost_undo_count", builtinUndoCount},
};

}  // namespace

const BuiltinCommand* findBuiltin(const std::string& name) {
  for (const BuiltinCommand& b : kBuiltins)
    if (name == b.name) return &b;
  return findUiBuiltin(name);
}

}  // namespace mel
