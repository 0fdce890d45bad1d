// The MEL syntax tree: expressions, statements and procedure definitions.
//
// Ownership: every node owns its children through unique_ptr. Procedure
// definitions are shared (shared_ptr) between the tree that declared them and
// the interpreter's procedure table, so a procedure stays alive while it runs
// even when a script redefines it or the tree that declared it is released.
// The parser bounds the depth of every tree, so the recursive destructors and
// the recursive evaluation stay within a known stack depth.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace mel {

// A declared type: string, int or float, each possibly an array.
struct VarType {
  enum class Base { kString, kInt, kFloat };
  Base base = Base::kString;
  bool array = false;
};

struct Expr {
  enum class Kind : unsigned char {
    kInt,      // number
    kFloat,    // real
    kString,   // text
    kVar,      // text = variable name
    kIndex,    // text = variable name, kids[0] = index
    kArray,    // kids = elements
    kCall,     // text = command or procedure name, kids = arguments
    kUnary,    // text = "-", "!", "+"; kids[0]
    kBinary,   // a chain of operators of one precedence level, applied left to right:
               // kids = the operands (two or more), text = one code per operator
               // (binaryOpCode), so "1+2-3" is one node and nests no deeper than 1+2
    kAssign,   // text = "=", "+=", ...; kids[0] = target (kVar or kIndex), kids[1] = value
    kIncDec,   // text = "++" or "--"; prefix; kids[0] = target
    kTernary,  // kids[0] ? kids[1] : kids[2]
  };
  Kind kind = Kind::kInt;
  bool commandSyntax = false;  // kCall written as `name arg arg` rather than name(arg, arg)
  bool prefix = false;         // kIncDec
  short depth = 1;             // height of this subtree (bounded far below 2^15 by the parser)
  int line = 0;
  int column = 0;
  union {
    long long number = 0;  // kInt
    double real;           // kFloat
  };
  std::string text;
  std::vector<std::unique_ptr<Expr>> kids;
};

// The one-character code of a binary operator in a kBinary node's text, and
// back. Codes: the operator's own character where it has one ("+", "<",
// "%" ...), "l" for "<=", "g" for ">=", "=" for "==", "!" for "!=", "&" for
// "&&", "|" for "||"; 0 for no binary operator.
inline char binaryOpCode(const std::string& op) {
  if (op.size() == 1) return op[0];
  if (op == "<=") return 'l';
  if (op == ">=") return 'g';
  if (op == "==") return '=';
  if (op == "!=") return '!';
  if (op == "&&") return '&';
  if (op == "||") return '|';
  return 0;
}
inline const char* binaryOpName(char code) {
  switch (code) {
    case 'l':
      return "<=";
    case 'g':
      return ">=";
    case '=':
      return "==";
    case '!':
      return "!=";
    case '&':
      return "&&";
    case '|':
      return "||";
    case '+':
      return "+";
    case '-':
      return "-";
    case '*':
      return "*";
    case '/':
      return "/";
    case '%':
      return "%";
    case '<':
      return "<";
    case '>':
      return ">";
    default:
      return "";
  }
}

struct Stmt;

struct Param {
  VarType type;
  std::string name;
};

struct ProcDef {
  std::string name;
  bool hasReturn = false;
  VarType returnType;
  std::vector<Param> params;
  std::unique_ptr<Stmt> body;  // a kBlock
};

struct DeclItem {
  std::string name;
  std::unique_ptr<Expr> init;  // may be null
  int line = 0;
  int column = 0;
};

// The parts of a statement that only some kinds have: kept apart so that
// the common statements (an expression, a call) stay small; a long script
// is mostly those.
struct StmtMore {
  std::vector<std::unique_ptr<Expr>> init;  // kFor
  std::vector<std::unique_ptr<Expr>> step;  // kFor
  std::vector<std::unique_ptr<Stmt>> body;  // kBlock
  std::vector<DeclItem> items;              // kDecl
  std::string text;                         // kForIn: the loop variable
  std::shared_ptr<ProcDef> proc;            // kProc
};

struct Stmt {
  enum class Kind : unsigned char {
    kEmpty,
    kExpr,     // expr
    kDecl,     // declType, global, items
    kBlock,    // body
    kIf,       // expr, thenStmt, elseStmt (may be null)
    kWhile,    // expr, thenStmt
    kDoWhile,  // thenStmt, expr
    kFor,      // init, expr (may be null), step, thenStmt
    kForIn,    // text = loop variable, expr = array, thenStmt
    kBreak,
    kContinue,
    kReturn,  // expr (may be null)
    kProc,    // proc
  };
  Kind kind = Kind::kEmpty;
  bool global = false;
  VarType declType;
  int line = 0;
  int column = 0;
  std::unique_ptr<Expr> expr;
  std::unique_ptr<Stmt> thenStmt;
  std::unique_ptr<Stmt> elseStmt;
  std::unique_ptr<StmtMore> more;  // made by the first use of more()

  // The kind-specific parts (made on first use; an empty set when there are none).
  StmtMore& extra() {
    if (!more) more = std::make_unique<StmtMore>();
    return *more;
  }
  const StmtMore& extra() const {
    static const StmtMore kNone;
    return more ? *more : kNone;
  }
};

// A parsed script: its top-level statements.
struct Program {
  std::vector<std::unique_ptr<Stmt>> statements;
};

}  // namespace mel
