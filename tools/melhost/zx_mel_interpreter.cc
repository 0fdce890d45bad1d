// The MEL interpreter: statement execution, expression evaluation, calls to
// built-ins, plug-in commands and procedures, and the per-statement output.
#include "zx_mel_interpreter.h"

#include <maya/MArgList.h>
#include <maya/MStringArray.h>
#include <mayahost/host.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "zx_mel_builtins.h"
#include "zx_mel_files.h"
#include "zx_mel_parser.h"

namespace mel {
namespace {

// Deepest nesting of procedure calls, sourced files and executed texts.
// Recursive MEL procedures of real scripts stay far below it; it turns
// runaway recursion into an error instead of a stack overflow.
constexpr size_t kMaxFrames = 1000;
// Deepest nesting of statements and expressions being evaluated, across all
// frames. The interpreter thread's stack (see main.cc) holds this many
// levels with a wide margin.
constexpr int kMaxNesting = 20000;
// Largest array index a script may write (4M elements, some hundreds of
// megabytes at most). Far more elements than any submission script holds; a larger write is a bug that would
// otherwise exhaust memory.
constexpr long long kMaxArrayIndex = 1 << 22;
// Longest string a concatenation may build. Far beyond any text a script
// builds; it stops runaway doubling before memory runs out.
constexpr size_t kMaxStringBytes = 64u * 1024 * 1024;

// Counts evaluation depth for the lifetime of one exec/eval call.
struct NestGuard {
  explicit NestGuard(int& n) : n_(n) { ++n_; }
  ~NestGuard() { --n_; }
  int& n_;
};

std::string dirOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string resultText(const Value& v) {
  if (!v.isArray()) return asText(v);
  std::string s;
  for (size_t i = 0; i < v.items.size(); ++i) {
    if (i) s += ' ';
    s += asText(v.items[i]);
  }
  return s;
}

nlohmann::ordered_json jsonOf(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kNone:
      return nullptr;
    case Value::Kind::kInt:
      return v.number;
    case Value::Kind::kFloat:
      return v.real;
    case Value::Kind::kString:
      return v.text;
    case Value::Kind::kArray: {
      nlohmann::ordered_json a = nlohmann::ordered_json::array();
      for (const Value& item : v.items) a.push_back(jsonOf(item));
      return a;
    }
  }
  return nullptr;
}

}  // namespace

Interpreter::Interpreter(PluginSet& plugins, bool json) : plugins_(plugins), json_(json) {}
Interpreter::~Interpreter() = default;

// ---- running scripts ----

bool Interpreter::parseText(const std::string& text, const std::string& fileName, Program& program,
                            bool main) {
  SyntaxError err;
  if (parseProgram(text, program, err)) return true;
  severity_ = kExitSyntaxOrLoad;
  std::string message = fileName + ":" + std::to_string(err.line) + ":" + std::to_string(err.column) +
                        ": syntax error: " + err.message;
  // The main script's syntax error is the whole outcome of the run: it is
  // printed as it is. Elsewhere it is an error of the running statement.
  if (main) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", message.c_str());
  } else {
    reportError(message);
  }
  return false;
}

// Procedures of a file are defined before any of its statements runs, so a
// script may call a procedure it defines further down.
bool Interpreter::defineProcs(const Program& program) {
  for (const auto& s : program.statements) {
    if (s->kind != Stmt::Kind::kProc) continue;
    if (findBuiltin(s->extra().proc->name))
      return reportError("Cannot redefine the built-in command " + s->extra().proc->name + ".");
    procs_[s->extra().proc->name] = s->extra().proc;
  }
  return true;
}

bool Interpreter::runProgram(const Program& program, const std::string& dir, Value* last) {
  if (frames_.size() >= kMaxFrames)
    return reportError("Stack overflow: scripts and procedures nested too deeply.");
  if (!defineProcs(program)) return false;
  frames_.emplace_back();
  frame().scopes.emplace_back();
  dirs_.push_back(dir);
  bool ok = true;
  for (const auto& s : program.statements) {
    if (last && s->kind == Stmt::Kind::kExpr) {
      Value v;
      if (!eval(*s->expr, v)) {
        ok = false;
        break;
      }
      *last = std::move(v);
      continue;
    }
    if (exec(*s) == Flow::kError) {
      ok = false;
      break;
    }
  }
  dirs_.pop_back();
  frames_.pop_back();
  return ok;
}

int Interpreter::runMain(const std::string& text, const std::string& fileName, const std::string& dir) {
  Program program;
  if (!parseText(text, fileName, program, true)) return kExitSyntaxOrLoad;
  if (!defineProcs(program)) return kExitFailure;
  frames_.emplace_back();
  frame().scopes.emplace_back();
  dirs_.push_back(dir);
  int status = kExitOk;
  for (const auto& s : program.statements) {
    StatementLog log;
    statement_ = &log;
    severity_ = kExitFailure;
    bool ok;
    Value result;
    if (s->kind == Stmt::Kind::kExpr && s->expr->kind == Expr::Kind::kCall) {
      ok = eval(*s->expr, result);
    } else {
      ok = exec(*s) != Flow::kError;
    }
    statement_ = nullptr;
    emitStatement(*s, ok, result, log);
    if (!ok) {
      status = severity_;
      break;
    }
  }
  dirs_.pop_back();
  frames_.pop_back();
  return status;
}

void Interpreter::emitStatement(const Stmt& s, bool ok, const Value& result, const StatementLog& log) {
  bool isCall = s.kind == Stmt::Kind::kExpr && s.expr->kind == Expr::Kind::kCall;
  if (!json_) {
    if (isCall && ok && result.kind != Value::Kind::kNone) {
      std::string line = "// Result: " + resultText(result) + " //\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
    return;
  }
  if (!isCall && ok && log.errors.empty()) return;
  nlohmann::ordered_json j;
  if (isCall)
    j["command"] = s.expr->text;
  else
    j["command"] = nullptr;
  j["ok"] = ok;
  j["result"] = ok ? jsonOf(result) : nlohmann::ordered_json(nullptr);
  j["errors"] = log.errors;
  // MEL text is bytes, not necessarily UTF-8: invalid sequences are replaced.
  std::string line = j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

bool Interpreter::sourceScript(const std::string& path) {
  // Relative paths: the current directory first, then the directory of the
  // script being run; a missing ".mel" is added as a last resort.
  std::vector<std::string> candidates;
  if (!path.empty() && path[0] == '/') {
    candidates.push_back(path);
  } else {
    candidates.push_back(path);
    if (!dirs_.empty()) candidates.push_back(dirs_.back() + "/" + path);
  }
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".mel") != 0) {
    size_t n = candidates.size();
    for (size_t i = 0; i < n; ++i) candidates.push_back(candidates[i] + ".mel");
  }
  // The first candidate that exists is the script; one that exists but
  // cannot be read (a folder, a named pipe, a device) is an error, not a
  // reason to look further.
  std::string found, text, error;
  for (const std::string& c : candidates) {
    ScriptRead read = readScriptFile(c, text, error);
    if (read == ScriptRead::kFailed) return reportError(error);
    if (read == ScriptRead::kOk) {
      found = c;
      break;
    }
  }
  if (found.empty()) return reportError("Cannot open file \"" + path + "\" for reading.");
  Program program;
  if (!parseText(text, found, program, false)) return false;
  return runProgram(program, dirOf(found), nullptr);
}

bool Interpreter::executeText(const std::string& text, bool display, Value* last) {
  int savedSeverity = severity_;
  if (!display) ++suppress_;
  Program program;
  // As in Maya, the last statement of a command text needs no ';'. The added
  // empty statement changes nothing else.
  bool ok = parseText(text + "\n;", "<command>", program, false) &&
            runProgram(program, dirs_.empty() ? "." : dirs_.back(), last);
  if (!display) --suppress_;
  severity_ = savedSeverity;
  return ok;
}

// ---- messages ----

bool Interpreter::reportError(const std::string& message) {
  if (suppress_ > 0) return false;
  if (json_ && statement_) {
    statement_->errors.push_back(message);
    return false;
  }
  if (statement_) statement_->errors.push_back(message);
  std::fflush(stdout);
  std::fprintf(stderr, "// Error: %s //\n", message.c_str());
  return false;
}

void Interpreter::displayError(const std::string& message) { reportError(message); }

void Interpreter::displayWarning(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "// Warning: %s //\n", message.c_str());
}

void Interpreter::displayInfo(const std::string& message) {
  if (json_) {
    std::fprintf(stderr, "%s\n", message.c_str());
  } else {
    std::string line = message + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

void Interpreter::writeOut(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

bool Interpreter::commandExists(const std::string& name) const {
  return findBuiltin(name) || plugins_.find(name) || procs_.count(name);
}

// ---- variables ----

Interpreter::Variable* Interpreter::lookup(const std::string& name) {
  if (frames_.empty()) return nullptr;
  std::vector<Scope>& scopes = frame().scopes;
  for (auto it = scopes.rbegin(); it != scopes.rend(); ++it) {
    auto found = it->names.find(name);
    if (found != it->names.end()) return found->second;
  }
  return nullptr;
}

Interpreter::Variable* Interpreter::declareLocal(const std::string& name, const VarType& type) {
  Scope& scope = frame().scopes.back();
  auto v = std::make_unique<Variable>();
  v->type = type;
  v->value = Value::defaultOf(type);
  Variable* raw = v.get();
  scope.owned.push_back(std::move(v));
  scope.names[name] = raw;
  return raw;
}

// ---- statements ----

Interpreter::Flow Interpreter::execBlock(const std::vector<std::unique_ptr<Stmt>>& body) {
  frame().scopes.emplace_back();
  Flow flow = Flow::kNormal;
  for (const auto& s : body) {
    flow = exec(*s);
    if (flow != Flow::kNormal) break;
  }
  frame().scopes.pop_back();
  return flow;
}

Interpreter::Flow Interpreter::exec(const Stmt& s) {
  NestGuard guard(nesting_);
  if (nesting_ > kMaxNesting) {
    reportError("Stack overflow: statements nested too deeply.");
    return Flow::kError;
  }
  switch (s.kind) {
    case Stmt::Kind::kEmpty:
    case Stmt::Kind::kProc:
      return Flow::kNormal;
    case Stmt::Kind::kExpr: {
      Value ignored;
      return eval(*s.expr, ignored) ? Flow::kNormal : Flow::kError;
    }
    case Stmt::Kind::kDecl:
      return execDecl(s);
    case Stmt::Kind::kBlock:
      return execBlock(s.extra().body);
    case Stmt::Kind::kIf: {
      Value c;
      if (!eval(*s.expr, c)) return Flow::kError;
      if (truthy(c)) return exec(*s.thenStmt);
      return s.elseStmt ? exec(*s.elseStmt) : Flow::kNormal;
    }
    case Stmt::Kind::kWhile:
    case Stmt::Kind::kDoWhile: {
      bool first = s.kind == Stmt::Kind::kDoWhile;
      while (true) {
        if (!first) {
          Value c;
          if (!eval(*s.expr, c)) return Flow::kError;
          if (!truthy(c)) break;
        }
        first = false;
        Flow f = exec(*s.thenStmt);
        if (f == Flow::kBreak) break;
        if (f == Flow::kError || f == Flow::kReturn) return f;
      }
      return Flow::kNormal;
    }
    case Stmt::Kind::kFor:
      return execFor(s);
    case Stmt::Kind::kForIn:
      return execForIn(s);
    case Stmt::Kind::kBreak:
      return Flow::kBreak;
    case Stmt::Kind::kContinue:
      return Flow::kContinue;
    case Stmt::Kind::kReturn: {
      Value v;
      if (s.expr && !eval(*s.expr, v)) return Flow::kError;
      frame().returnValue = std::move(v);
      return Flow::kReturn;
    }
  }
  return Flow::kNormal;
}

Interpreter::Flow Interpreter::execDecl(const Stmt& s) {
  for (const DeclItem& item : s.extra().items) {
    Value init;
    bool hasInit = item.init != nullptr;
    if (hasInit) {
      Value raw;
      if (!eval(*item.init, raw)) return Flow::kError;
      std::string error;
      if (!convertTo(s.declType, std::move(raw), init, error)) {
        reportError(error);
        return Flow::kError;
      }
    }
    Scope& scope = frame().scopes.back();
    auto existing = scope.names.find(item.name);
    if (s.global) {
      auto g = globals_.find(item.name);
      Variable* v;
      if (g == globals_.end()) {
        auto nv = std::make_unique<Variable>();
        nv->type = s.declType;
        nv->value = Value::defaultOf(s.declType);
        v = nv.get();
        globals_[item.name] = std::move(nv);
      } else {
        v = g->second.get();
        if (v->type.base != s.declType.base || v->type.array != s.declType.array) {
          reportError("Invalid redeclaration of variable \"$" + item.name + "\" as a different type.");
          return Flow::kError;
        }
      }
      if (existing != scope.names.end() && existing->second != v) {
        reportError("Invalid redeclaration of variable \"$" + item.name + "\" as a global.");
        return Flow::kError;
      }
      scope.names[item.name] = v;
      if (hasInit) v->value = std::move(init);
      continue;
    }
    if (existing != scope.names.end()) {
      Variable* v = existing->second;
      if (v->type.base != s.declType.base || v->type.array != s.declType.array) {
        reportError("Invalid redeclaration of variable \"$" + item.name + "\" as a different type.");
        return Flow::kError;
      }
      v->value = hasInit ? std::move(init) : Value::defaultOf(s.declType);
      continue;
    }
    Variable* v = declareLocal(item.name, s.declType);
    if (hasInit) v->value = std::move(init);
  }
  return Flow::kNormal;
}

Interpreter::Flow Interpreter::execFor(const Stmt& s) {
  Value ignored;
  for (const auto& e : s.extra().init)
    if (!eval(*e, ignored)) return Flow::kError;
  while (true) {
    if (s.expr) {
      Value c;
      if (!eval(*s.expr, c)) return Flow::kError;
      if (!truthy(c)) break;
    }
    Flow f = exec(*s.thenStmt);
    if (f == Flow::kBreak) break;
    if (f == Flow::kError || f == Flow::kReturn) return f;
    for (const auto& e : s.extra().step)
      if (!eval(*e, ignored)) return Flow::kError;
  }
  return Flow::kNormal;
}

Interpreter::Flow Interpreter::execForIn(const Stmt& s) {
  Value array;
  if (!eval(*s.expr, array)) return Flow::kError;
  if (!array.isArray()) {
    reportError("for-in needs an array, not data of type " + typeName(array) + ".");
    return Flow::kError;
  }
  Variable* var = lookup(s.extra().text);
  if (!var) {
    VarType t;
    t.base = array.element;
    var = declareLocal(s.extra().text, t);
  } else if (var->type.array) {
    reportError("The loop variable \"$" + s.extra().text + "\" must not be an array.");
    return Flow::kError;
  }
  // The loop walks its own copy, so the body may change the array freely.
  for (const Value& item : array.items) {
    std::string error;
    if (!convertTo(var->type, item, var->value, error)) {
      reportError(error);
      return Flow::kError;
    }
    Flow f = exec(*s.thenStmt);
    if (f == Flow::kBreak) break;
    if (f == Flow::kError || f == Flow::kReturn) return f;
  }
  return Flow::kNormal;
}

// ---- expressions ----

bool Interpreter::arrayIndex(const Value& index, long long& out) {
  if (!index.isScalar())
    return reportError("An array index must be a number, not data of type " + typeName(index) + ".");
  out = asInt(index);
  if (out < 0) return reportError("Array index " + std::to_string(out) + " is out of range.");
  return true;
}

bool Interpreter::eval(const Expr& e, Value& out) {
  NestGuard guard(nesting_);
  if (nesting_ > kMaxNesting) return reportError("Stack overflow: expressions nested too deeply.");
  switch (e.kind) {
    case Expr::Kind::kInt:
      out = Value::ofInt(e.number);
      return true;
    case Expr::Kind::kFloat:
      out = Value::ofFloat(e.real);
      return true;
    case Expr::Kind::kString:
      out = Value::ofString(e.text);
      return true;
    case Expr::Kind::kVar: {
      Variable* v = lookup(e.text);
      if (!v) return reportError("\"$" + e.text + "\" is an undeclared variable.");
      out = v->value;
      return true;
    }
    case Expr::Kind::kIndex: {
      Value index;
      if (!eval(*e.kids[0], index)) return false;
      Variable* v = lookup(e.text);
      if (!v) return reportError("\"$" + e.text + "\" is an undeclared variable.");
      if (!v->type.array) return reportError("\"$" + e.text + "\" is not an array.");
      long long i;
      if (!arrayIndex(index, i)) return false;
      // Reading past the end gives the element type's default, as in MEL.
      if (i < static_cast<long long>(v->value.items.size()))
        out = v->value.items[i];
      else
        out = Value::defaultOf(VarType{v->type.base, false});
      return true;
    }
    case Expr::Kind::kArray: {
      std::vector<Value> items;
      items.reserve(e.kids.size());
      VarType::Base base = VarType::Base::kInt;
      for (const auto& k : e.kids) {
        Value v;
        if (!eval(*k, v)) return false;
        if (!v.isScalar()) return reportError("An array element cannot be data of type " + typeName(v) + ".");
        if (v.kind == Value::Kind::kString)
          base = VarType::Base::kString;
        else if (v.kind == Value::Kind::kFloat && base == VarType::Base::kInt)
          base = VarType::Base::kFloat;
        items.push_back(std::move(v));
      }
      if (items.empty()) base = VarType::Base::kString;
      Value a = Value::emptyArray(base);
      a.items = std::move(items);
      std::string error;
      return convertTo(VarType{base, true}, a, out, error) || reportError(error);
    }
    case Expr::Kind::kCall:
      return evalCall(e, out);
    case Expr::Kind::kUnary: {
      Value v;
      if (!eval(*e.kids[0], v)) return false;
      if (e.text == "!") {
        if (v.kind == Value::Kind::kNone)
          return reportError("Illegal operation \"!\" on data of type nothing.");
        out = Value::ofInt(truthy(v) ? 0 : 1);
        return true;
      }
      if (v.kind == Value::Kind::kInt)
        out = Value::ofInt(e.text == "-" ? -v.number : v.number);
      else if (v.kind == Value::Kind::kFloat)
        out = Value::ofFloat(e.text == "-" ? -v.real : v.real);
      else
        return reportError("Illegal operation \"" + e.text + "\" on data of type " + typeName(v) + ".");
      return true;
    }
    case Expr::Kind::kBinary: {
      // A chain, applied left to right as ((a op b) op c) ...; "&&" and
      // "||" skip an operand their left side already decides.
      Value acc;
      if (!eval(*e.kids[0], acc)) return false;
      for (size_t i = 1; i < e.kids.size(); ++i) {
        const char code = e.text[i - 1];
        if (code == '&' || code == '|') {
          bool left = truthy(acc);
          if (code == '&' ? !left : left) {
            acc = Value::ofInt(left ? 1 : 0);
            continue;
          }
          Value b;
          if (!eval(*e.kids[i], b)) return false;
          acc = Value::ofInt(truthy(b) ? 1 : 0);
          continue;
        }
        Value b, r;
        if (!eval(*e.kids[i], b)) return false;
        if (!evalBinary(binaryOpName(code), acc, b, r)) return false;
        acc = std::move(r);
      }
      out = std::move(acc);
      return true;
    }
    case Expr::Kind::kAssign:
      return evalAssign(e, out);
    case Expr::Kind::kIncDec:
      return evalIncDec(e, out);
    case Expr::Kind::kTernary: {
      Value c;
      if (!eval(*e.kids[0], c)) return false;
      return eval(*e.kids[truthy(c) ? 1 : 2], out);
    }
  }
  return reportError("internal error: unknown expression");
}

bool Interpreter::evalBinary(const std::string& op, const Value& a, const Value& b, Value& out) {
  if (!a.isScalar() || !b.isScalar()) {
    const Value& bad = a.isScalar() ? b : a;
    return reportError("Illegal operation \"" + op + "\" on data of type " + typeName(bad) + ".");
  }
  bool anyString = a.kind == Value::Kind::kString || b.kind == Value::Kind::kString;
  bool anyFloat = a.kind == Value::Kind::kFloat || b.kind == Value::Kind::kFloat;
  if (op == "==" || op == "!=" || op == "<" || op == ">" || op == "<=" || op == ">=") {
    int cmp;
    if (anyString) {
      int c = asText(a).compare(asText(b));
      cmp = c < 0 ? -1 : c > 0 ? 1 : 0;
    } else if (anyFloat) {
      double x = asFloat(a), y = asFloat(b);
      cmp = x < y ? -1 : x > y ? 1 : 0;
    } else {
      cmp = a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
    }
    bool r = op == "=="   ? cmp == 0
             : op == "!=" ? cmp != 0
             : op == "<"  ? cmp < 0
             : op == ">"  ? cmp > 0
             : op == "<=" ? cmp <= 0
                          : cmp >= 0;
    out = Value::ofInt(r ? 1 : 0);
    return true;
  }
  if (op == "+" && anyString) {
    std::string left = asText(a), right = asText(b);
    if (left.size() + right.size() > kMaxStringBytes)
      return reportError("String too long: more than 64 MiB.");
    out = Value::ofString(left + right);
    return true;
  }
  if (anyString) {
    const Value& bad = a.kind == Value::Kind::kString ? a : b;
    return reportError("Illegal operation \"" + op + "\" on data of type " + typeName(bad) + ".");
  }
  if (anyFloat) {
    double x = asFloat(a), y = asFloat(b);
    if ((op == "/" || op == "%") && y == 0) return reportError("Division by zero.");
    double r = op == "+"   ? x + y
               : op == "-" ? x - y
               : op == "*" ? x * y
               : op == "/" ? x / y
                           : std::fmod(x, y);
    out = Value::ofFloat(r);
    return true;
  }
  // 32-bit operands: their sum, difference, product and quotient fit 64 bits.
  long long x = a.number, y = b.number;
  if ((op == "/" || op == "%") && y == 0) return reportError("Division by zero.");
  long long r = op == "+" ? x + y : op == "-" ? x - y : op == "*" ? x * y : op == "/" ? x / y : x % y;
  out = Value::ofInt(r);
  return true;
}

bool Interpreter::store(const Expr& target, const Value& v, Value& stored) {
  std::string error;
  if (target.kind == Expr::Kind::kVar) {
    Variable* var = lookup(target.text);
    if (!var) {
      // Assigning to a new name declares it with the value's type.
      if (v.kind == Value::Kind::kNone) return reportError("Cannot assign data of type nothing.");
      VarType t{v.isArray()                     ? v.element
                : v.kind == Value::Kind::kInt   ? VarType::Base::kInt
                : v.kind == Value::Kind::kFloat ? VarType::Base::kFloat
                                                : VarType::Base::kString,
                v.isArray()};
      var = declareLocal(target.text, t);
    }
    if (!convertTo(var->type, v, var->value, error)) return reportError(error);
    stored = var->value;
    return true;
  }
  // $a[i] = v; the array grows with default elements.
  Value index;
  if (!eval(*target.kids[0], index)) return false;
  long long i;
  if (!arrayIndex(index, i)) return false;
  if (i > kMaxArrayIndex) return reportError("Array index " + std::to_string(i) + " is too large.");
  if (!v.isScalar()) return reportError("Cannot store data of type " + typeName(v) + " in an array element.");
  Variable* var = lookup(target.text);
  if (!var) {
    VarType t{v.kind == Value::Kind::kInt     ? VarType::Base::kInt
              : v.kind == Value::Kind::kFloat ? VarType::Base::kFloat
                                              : VarType::Base::kString,
              true};
    var = declareLocal(target.text, t);
  }
  if (!var->type.array) return reportError("\"$" + target.text + "\" is not an array.");
  VarType element{var->type.base, false};
  Value converted;
  if (!convertTo(element, v, converted, error)) return reportError(error);
  std::vector<Value>& items = var->value.items;
  if (i >= static_cast<long long>(items.size()))
    items.resize(static_cast<size_t>(i) + 1, Value::defaultOf(element));
  items[static_cast<size_t>(i)] = converted;
  stored = std::move(converted);
  return true;
}

bool Interpreter::evalAssign(const Expr& e, Value& out) {
  Value v;
  if (!eval(*e.kids[1], v)) return false;
  if (e.text != "=") {
    Value current;
    if (!eval(*e.kids[0], current)) return false;
    Value combined;
    if (!evalBinary(e.text.substr(0, 1), current, v, combined)) return false;
    v = std::move(combined);
  }
  return store(*e.kids[0], v, out);
}

bool Interpreter::evalIncDec(const Expr& e, Value& out) {
  Value current;
  if (!eval(*e.kids[0], current)) return false;
  if (current.kind != Value::Kind::kInt && current.kind != Value::Kind::kFloat)
    return reportError("Illegal operation \"" + e.text + "\" on data of type " + typeName(current) + ".");
  Value next;
  if (!evalBinary(e.text == "++" ? "+" : "-", current, Value::ofInt(1), next)) return false;
  Value stored;
  if (!store(*e.kids[0], next, stored)) return false;
  out = e.prefix ? stored : current;
  return true;
}

// ---- calls ----

bool Interpreter::evalArgs(const Expr& e, std::vector<Value>& args) {
  args.reserve(e.kids.size());
  for (const auto& k : e.kids) {
    Value v;
    if (!eval(*k, v)) return false;
    args.push_back(std::move(v));
  }
  return true;
}

bool Interpreter::evalCall(const Expr& e, Value& out) {
  const std::string& name = e.text;
  out = Value();
  // size and clear of a variable work on the variable itself, without a copy.
  if ((name == "size" || name == "clear") && e.kids.size() == 1 && e.kids[0]->kind == Expr::Kind::kVar) {
    Variable* v = lookup(e.kids[0]->text);
    if (!v) return reportError("\"$" + e.kids[0]->text + "\" is an undeclared variable.");
    if (name == "clear") {
      if (!v->type.array) return reportError("clear: the argument must be an array variable.");
      v->value.items.clear();
      return true;
    }
    if (v->type.array)
      out = Value::ofInt(static_cast<long long>(v->value.items.size()));
    else if (v->type.base == VarType::Base::kString)
      out = Value::ofInt(static_cast<long long>(v->value.text.size()));
    else
      return reportError("size: the argument must be an array or a string.");
    return true;
  }
  // catch(expr) and catchQuiet(expr): 1 when evaluating expr failed, else 0;
  // the failure does not stop the script. catchQuiet also hides its errors.
  if ((name == "catch" || name == "catchQuiet") && e.kids.size() == 1) {
    bool quiet = name == "catchQuiet";
    int savedSeverity = severity_;
    if (quiet) ++suppress_;
    Value ignored;
    bool ok = eval(*e.kids[0], ignored);
    if (quiet) --suppress_;
    severity_ = savedSeverity;  // a caught error does not decide the exit status
    out = Value::ofInt(ok ? 0 : 1);
    return true;
  }
  if (const BuiltinCommand* b = findBuiltin(name)) {
    std::vector<Value> args;
    if (!evalArgs(e, args)) return false;
    return b->run(*this, args, out);
  }
  if (const PluginSet::Command* c = plugins_.find(name)) {
    PluginSet::Command command = *c;  // the registry may change while arguments are evaluated
    std::vector<Value> args;
    if (!evalArgs(e, args)) return false;
    return callPluginCommand(command, args, out);
  }
  auto p = procs_.find(name);
  if (p != procs_.end()) {
    std::shared_ptr<ProcDef> proc = p->second;  // keeps the procedure alive while it runs
    std::vector<Value> args;
    if (!evalArgs(e, args)) return false;
    return callProc(std::move(proc), args, out);
  }
  return reportError("Cannot find procedure \"" + name + "\".");
}

bool Interpreter::callPluginCommand(const PluginSet::Command& command, std::vector<Value>& args, Value& out) {
  MArgList list;
  for (const Value& v : args) {
    switch (v.kind) {
      case Value::Kind::kString:
        list.addString(MString(v.text));
        break;
      case Value::Kind::kInt:
        list.addInt(static_cast<int>(v.number));
        break;
      case Value::Kind::kFloat:
        list.addFloat(v.real);
        break;
      case Value::Kind::kArray: {
        MStringArray a;
        for (const Value& item : v.items) a.append(MString(asText(item)));
        list.addStringArray(a);
        break;
      }
      case Value::Kind::kNone:
        return reportError(command.name + ": an argument has no value.");
    }
  }
  // A command may run MEL that runs other commands; the outer command's
  // result slot is kept aside meanwhile.
  mayahost::CommandResult saved = mayahost::currentResult();
  mayahost::currentResult().clear();
  bool created = false;
  MStatus st = plugins_.run(command, list, created);
  mayahost::CommandResult r = std::move(mayahost::currentResult());
  mayahost::currentResult() = std::move(saved);
  if (!created) return reportError(command.name + ": the command object cannot be created.");
  if (st != MStatus::kSuccess) return false;
  switch (r.kind) {
    case mayahost::CommandResult::Kind::kNone:
      out = Value();
      break;
    case mayahost::CommandResult::Kind::kString:
      out = Value::ofString(r.text);
      break;
    case mayahost::CommandResult::Kind::kInt:
      out = Value::ofInt(r.number);
      break;
    case mayahost::CommandResult::Kind::kFloat:
      out = Value::ofFloat(r.real);
      break;
    case mayahost::CommandResult::Kind::kStringArray:
      out = Value::ofStrings(std::move(r.array));
      break;
  }
  return true;
}

bool Interpreter::callProc(std::shared_ptr<ProcDef> proc, std::vector<Value>& args, Value& out) {
  if (args.size() != proc->params.size())
    return reportError("Wrong number of arguments on call to " + proc->name + ".");
  if (frames_.size() >= kMaxFrames) return reportError("Stack overflow: procedure calls nested too deeply.");
  // Arguments are converted before the new frame exists, so a failure
  // leaves the caller's frame as it was.
  std::vector<Value> converted(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (!convertTo(proc->params[i].type, args[i], converted[i], error))
      return reportError(proc->name + ": argument " + std::to_string(i + 1) + ": " + error);
  }
  frames_.emplace_back();
  frame().scopes.emplace_back();
  for (size_t i = 0; i < converted.size(); ++i) {
    Variable* v = declareLocal(proc->params[i].name, proc->params[i].type);
    v->value = std::move(converted[i]);
  }
  Flow flow = execBlock(proc->body->extra().body);
  Value returned = std::move(frame().returnValue);
  frames_.pop_back();
  if (flow == Flow::kError) return false;
  if (!proc->hasReturn) {
    out = Value();
    return true;
  }
  if (flow != Flow::kReturn || returned.kind == Value::Kind::kNone) {
    out = Value::defaultOf(proc->returnType);
    return true;
  }
  std::string error;
  if (!convertTo(proc->returnType, returned, out, error)) return reportError(proc->name + ": " + error);
  return true;
}

}  // namespace mel
