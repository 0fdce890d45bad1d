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
  enum class Kind {
    kInt,      // number
    kFloat,    // real
    kString,   // text
    kVar,      // text = variable name
    kIndex,    // text = variable name, kids[0] = index
    kArray,    // kids = elements
    kCall,     // text = command or procedure name, kids = arguments
    kUnary,    // text = "-", "!", "+"; kids[0]
    kBinary,   // text = operator; kids[0], kids[1]
    kAssign,   // text = "=", "+=", ...; kids[0] = target (kVar or kIndex), kids[1] = value
    kIncDec,   // text = "++" or "--"; prefix; kids[0] = target
    kTernary,  // kids[0] ? kids[1] : kids[2]
  };
  Kind kind = Kind::kInt;
  int line = 0;
  int column = 0;
  int depth = 1;  // height of this subtree
  long long number = 0;
  double real = 0;
  std::string text;
  bool commandSyntax = false;  // kCall written as `name arg arg` rather than name(arg, arg)
  bool prefix = false;         // kIncDec
  std::vector<std::unique_ptr<Expr>> kids;
};

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

struct Stmt {
  enum class Kind {
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
  int line = 0;
  int column = 0;
  std::unique_ptr<Expr> expr;
  std::vector<std::unique_ptr<Expr>> init;
  std::vector<std::unique_ptr<Expr>> step;
  std::vector<std::unique_ptr<Stmt>> body;
  std::unique_ptr<Stmt> thenStmt;
  std::unique_ptr<Stmt> elseStmt;
  VarType declType;
  bool global = false;
  std::vector<DeclItem> items;
  std::string text;
  std::shared_ptr<ProcDef> proc;
};

// A parsed script: its top-level statements.
struct Program {
  std::vector<std::unique_ptr<Stmt>> statements;
};

}  // namespace mel
