// The MEL interpreter: runs parsed scripts, keeps variables, procedures and
// the output of each top-level statement.
//
// Scopes: every script (the main script, each sourced file, each text run
// through executeCommand or eval) runs in a frame of its own; its top-level
// variables are visible to its later statements but not inside procedures.
// A procedure call gets a fresh frame. Blocks open nested scopes within a
// frame. `global` declarations bind a name of the current scope to the one
// process-wide global variable of that name.
//
// Output. Text mode: "// Result: VALUE //" on stdout after each top-level
// call statement that has a value (array elements joined by a blank), errors
// as "// Error: MESSAGE //" and warnings as "// Warning: MESSAGE //" on
// stderr, info messages on stdout. JSON mode (--json): one line per
// top-level call statement on stdout, {"command", "ok", "result", "errors"};
// any other top-level statement gets a line (with "command": null) only when
// it failed or showed errors; `print` output still goes to stdout as plain
// text; warnings, info messages and errors shown outside a statement go to
// stderr.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "zx_mel_ast.h"
#include "zx_mel_plugins.h"
#include "zx_mel_value.h"

namespace mel {

class Interpreter {
 public:
  // Exit statuses of a run.
  static constexpr int kExitOk = 0;
  static constexpr int kExitFailure = 1;       // a command failed or a runtime error occurred
  static constexpr int kExitSyntaxOrLoad = 2;  // a syntax error or a plug-in that cannot be loaded

  Interpreter(PluginSet& plugins, bool json);
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;
  ~Interpreter();

  // Runs `text` as the main script. `fileName` names it in syntax errors and
  // `dir` is the directory `source` falls back to. Returns the exit status.
  int runMain(const std::string& text, const std::string& fileName, const std::string& dir);

  // Services for the plug-in (MGlobal) and the built-in commands.
  bool sourceScript(const std::string& path);
  // Runs MEL text in a frame of its own. With `display` off the errors it
  // causes are not shown. `last` (may be null) receives the value of the
  // last expression statement. Errors never stop the caller's statement.
  bool executeText(const std::string& text, bool display, Value* last);
  void displayError(const std::string& message);
  void displayWarning(const std::string& message);
  void displayInfo(const std::string& message);

  // Shows an error and returns false, for `return reportError(...)`.
  bool reportError(const std::string& message);
  // Marks the error being reported as one that ends the run with status 2.
  void markSyntaxOrLoadError() { severity_ = kExitSyntaxOrLoad; }
  void writeOut(const std::string& text);
  bool commandExists(const std::string& name) const;
  PluginSet& plugins() { return plugins_; }

 private:
  enum class Flow { kNormal, kBreak, kContinue, kReturn, kError };

  struct Variable {
    VarType type;
    Value value;
  };
  struct Scope {
    std::unordered_map<std::string, Variable*> names;
    std::vector<std::unique_ptr<Variable>> owned;
  };
  struct Frame {
    std::vector<Scope> scopes;
    Value returnValue;
  };

  // One top-level statement's record, for the output after it.
  struct StatementLog {
    std::vector<std::string> errors;
  };

  bool parseText(const std::string& text, const std::string& fileName, Program& program, bool main);
  bool defineProcs(const Program& program);
  // Runs a program's statements in a new frame; stops at the first error.
  bool runProgram(const Program& program, const std::string& dir, Value* last);

  Flow exec(const Stmt& s);
  Flow execBlock(const std::vector<std::unique_ptr<Stmt>>& body);
  Flow execDecl(const Stmt& s);
  Flow execFor(const Stmt& s);
  Flow execForIn(const Stmt& s);
  bool eval(const Expr& e, Value& out);
  bool evalCall(const Expr& e, Value& out);
  bool evalArgs(const Expr& e, std::vector<Value>& args);
  bool callPluginCommand(const PluginSet::Command& command, std::vector<Value>& args, Value& out);
  bool callProc(std::shared_ptr<ProcDef> proc, std::vector<Value>& args, Value& out);
  bool evalBinary(const std::string& op, const Value& a, const Value& b, Value& out);
  bool evalAssign(const Expr& e, Value& out);
  bool evalIncDec(const Expr& e, Value& out);
  bool store(const Expr& target, const Value& v, Value& stored);
  bool arrayIndex(const Value& index, long long& out);

  Variable* lookup(const std::string& name);
  Variable* declareLocal(const std::string& name, const VarType& type);
  Frame& frame() { return frames_.back(); }

  void emitStatement(const Stmt& s, bool ok, const Value& result, const StatementLog& log);

  PluginSet& plugins_;
  bool json_;
  std::deque<Frame> frames_;
  std::unordered_map<std::string, std::unique_ptr<Variable>> globals_;
  std::map<std::string, std::shared_ptr<ProcDef>> procs_;
  std::vector<std::string> dirs_;      // directories of the scripts being run, innermost last
  StatementLog* statement_ = nullptr;  // the top-level statement running now, if any
  int suppress_ = 0;                   // executeCommand calls with display off, nested
  int severity_ = kExitFailure;        // exit status of the error being unwound
  int nesting_ = 0;                    // statements and expressions being evaluated
};

}  // namespace mel
