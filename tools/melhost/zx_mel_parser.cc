// The MEL parser: recursive descent over the token list, with a bound on
// nesting so that parsing, evaluation and destruction of a tree stay within
// a known stack depth.
#include "zx_mel_parser.h"

#include <deque>
#include <utility>

namespace mel {
namespace {

// Deepest nesting of blocks, statements and expressions a script may use.
// Hand-written scripts stay far below this; it keeps the recursive parser,
// the evaluator and the tree destructors well inside the stack.
constexpr int kMaxDepth = 200;

// The parser reads its tokens from the lexer as it goes and keeps only
// those of the top-level statement being parsed (backtracking never goes
// further back), so a long script never has all its tokens in memory at
// once: what stays is the syntax tree alone.
class Parser {
 public:
  Parser(const std::string& text, SyntaxError& error) : lexer_(text, lexError_), src_(text), error_(error) {}

  bool program(Program& out) {
    while (!atEnd()) {
      release();
      std::unique_ptr<Stmt> s;
      if (!statement(s, true)) return false;
      out.statements.push_back(std::move(s));
    }
    return true;
  }

 private:
  // Depth guard for recursive descent.
  struct Nest {
    explicit Nest(Parser& p) : p_(p) { ++p_.depth_; }
    ~Nest() { --p_.depth_; }
    Parser& p_;
  };

  // Reads tokens until token i (counted from the start) is at hand, or the
  // end is. The text was lexed once already, so no lexical error can come.
  void fill(size_t i) const {
    while (base_ + window_.size() <= i && !endSeen_) {
      Token t;
      if (!lexer_.next(t)) t = Token();  // (not reached)
      endSeen_ = t.kind == TokenKind::kEnd;
      window_.push_back(std::move(t));
    }
  }
  // Token i counted from the start; the end token past the end. References
  // stay valid while the statement is parsed (a deque never moves its
  // elements when it grows).
  const Token& tokenAt(size_t i) const {
    fill(i);
    return i < base_ + window_.size() ? window_[i - base_] : window_.back();
  }
  const Token& peek(size_t ahead = 0) const { return tokenAt(pos_ + ahead); }
  bool atEnd() const { return peek().kind == TokenKind::kEnd; }
  const Token& take() {
    const Token& tok = peek();
    if (tok.kind != TokenKind::kEnd) ++pos_;
    return tok;
  }
  // Forgets the tokens before the current one: called between top-level
  // statements, when nothing refers to them any more.
  void release() {
    while (base_ < pos_ && window_.size() > 1) {
      window_.pop_front();
      ++base_;
    }
  }
  bool isPunct(const char* p, size_t ahead = 0) const {
    const Token& tok = peek(ahead);
    return tok.kind == TokenKind::kPunct && tok.text == p;
  }
  bool isIdent(const char* word, size_t ahead = 0) const {
    const Token& tok = peek(ahead);
    return tok.kind == TokenKind::kIdent && tok.text == word;
  }

  bool fail(const Token& at, const std::string& message) {
    if (error_.message.empty()) {
      error_.line = at.line;
      error_.column = at.column;
      error_.message = message;
    }
    return false;
  }
  static std::string describe(const Token& tok) {
    switch (tok.kind) {
      case TokenKind::kEnd:
        return "end of input";
      case TokenKind::kString:
        return "string";
      case TokenKind::kVar:
        return "'$" + tok.text + "'";
      case TokenKind::kBackquote:
        return "'`'";
      default:
        return "'" + tok.text + "'";
    }
  }
  bool unexpected() { return fail(peek(), "unexpected " + describe(peek())); }
  bool expect(const char* p) {
    if (isPunct(p)) {
      take();
      return true;
    }
    return fail(peek(), std::string("expected '") + p + "' before " + describe(peek()));
  }
  bool checkDepth() {
    if (depth_ > kMaxDepth) return fail(peek(), "nesting too deep");
    return true;
  }

  static bool isTypeWord(const Token& tok) {
    return tok.kind == TokenKind::kIdent &&
           (tok.text == "string" || tok.text == "int" || tok.text == "float");
  }
  static VarType::Base baseOf(const std::string& w) {
    return w == "int" ? VarType::Base::kInt : w == "float" ? VarType::Base::kFloat : VarType::Base::kString;
  }

  std::unique_ptr<Stmt> newStmt(Stmt::Kind kind, const Token& at) {
    auto s = std::make_unique<Stmt>();
    s->kind = kind;
    s->line = at.line;
    s->column = at.column;
    return s;
  }
  static std::unique_ptr<Expr> newExpr(Expr::Kind kind, const Token& at) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->line = at.line;
    e->column = at.column;
    return e;
  }
  // Adds a child and keeps the subtree height; too tall a tree is an error.
  bool adopt(Expr& parent, std::unique_ptr<Expr> kid) {
    if (kid->depth + 1 > parent.depth) parent.depth = kid->depth + 1;
    parent.kids.push_back(std::move(kid));
    if (parent.depth > kMaxDepth) {
      error_.line = parent.line;
      error_.column = parent.column;
      if (error_.message.empty()) error_.message = "expression too deeply nested";
      return false;
    }
    return true;
  }

  // ---- statements ----

  bool statement(std::unique_ptr<Stmt>& out, bool topLevel) {
    Nest nest(*this);
    if (!checkDepth()) return false;
    const Token& tok = peek();
    if (isPunct(";")) {
      out = newStmt(Stmt::Kind::kEmpty, take());
      return true;
    }
    if (isPunct("{")) return block(out);
    if (tok.kind == TokenKind::kIdent) {
      const std::string& w = tok.text;
      if (w == "if") return ifStatement(out);
      if (w == "while") return whileStatement(out);
      if (w == "do") return doStatement(out);
      if (w == "for") return forStatement(out);
      if (w == "break" || w == "continue") {
        if (loopDepth_ == 0) return fail(tok, "'" + w + "' outside a loop");
        out = newStmt(w == "break" ? Stmt::Kind::kBreak : Stmt::Kind::kContinue, take());
        return expect(";");
      }
      if (w == "return") return returnStatement(out);
      if (w == "proc" || (w == "global" && isIdent("proc", 1))) {
        if (!topLevel) return fail(tok, "procedures can only be defined at the top level");
        return procDefinition(out);
      }
      if (w == "global" || isTypeWord(tok)) return declaration(out);
      if (w == "else" || w == "in") return unexpected();
      if (!isPunct("(", 1)) {
        out = newStmt(Stmt::Kind::kExpr, tok);
        if (!commandCall(out->expr, false)) return false;
        return expect(";");
      }
      // `name (a) b;` with a blank before the parenthesis is command syntax
      // whose first argument is a group; `name (a, b);` is a function call.
      // The function call is tried first, then the command.
      if (peek(1).spaceBefore) {
        size_t start = pos_;
        SyntaxError saved = error_;
        out = newStmt(Stmt::Kind::kExpr, tok);
        if (expression(out->expr) && isPunct(";")) {
          take();
          return true;
        }
        pos_ = start;
        error_ = saved;
        out = newStmt(Stmt::Kind::kExpr, tok);
        if (!commandCall(out->expr, false)) return false;
        return expect(";");
      }
    }
    out = newStmt(Stmt::Kind::kExpr, tok);
    if (!expression(out->expr)) return false;
    return expect(";");
  }

  bool block(std::unique_ptr<Stmt>& out) {
    out = newStmt(Stmt::Kind::kBlock, take());
    while (!isPunct("}")) {
      if (atEnd()) return fail(peek(), "expected '}' before end of input");
      std::unique_ptr<Stmt> s;
      if (!statement(s, false)) return false;
      out->extra().body.push_back(std::move(s));
    }
    take();
    return true;
  }

  bool condition(std::unique_ptr<Expr>& out) {
    if (!expect("(")) return false;
    if (!expression(out)) return false;
    return expect(")");
  }

  bool ifStatement(std::unique_ptr<Stmt>& out) {
    out = newStmt(Stmt::Kind::kIf, take());
    if (!condition(out->expr)) return false;
    if (!statement(out->thenStmt, false)) return false;
    if (isIdent("else")) {
      take();
      if (!statement(out->elseStmt, false)) return false;
    }
    return true;
  }

  bool loopBody(std::unique_ptr<Stmt>& body) {
    ++loopDepth_;
    bool ok = statement(body, false);
    --loopDepth_;
    return ok;
  }

  bool whileStatement(std::unique_ptr<Stmt>& out) {
    out = newStmt(Stmt::Kind::kWhile, take());
    if (!condition(out->expr)) return false;
    return loopBody(out->thenStmt);
  }

  bool doStatement(std::unique_ptr<Stmt>& out) {
    out = newStmt(Stmt::Kind::kDoWhile, take());
    if (!loopBody(out->thenStmt)) return false;
    if (!isIdent("while")) return fail(peek(), "expected 'while' before " + describe(peek()));
    take();
    if (!condition(out->expr)) return false;
    return expect(";");
  }

  bool expressionList(std::vector<std::unique_ptr<Expr>>& out, const char* end) {
    if (isPunct(end)) return true;
    while (true) {
      std::unique_ptr<Expr> e;
      if (!expression(e)) return false;
      out.push_back(std::move(e));
      if (!isPunct(",")) return true;
      take();
    }
  }

  bool forStatement(std::unique_ptr<Stmt>& out) {
    const Token& forTok = take();
    if (!expect("(")) return false;
    if (peek().kind == TokenKind::kVar && isIdent("in", 1)) {
      out = newStmt(Stmt::Kind::kForIn, forTok);
      out->extra().text = take().text;
      take();
      if (!expression(out->expr)) return false;
      if (!expect(")")) return false;
      return loopBody(out->thenStmt);
    }
    out = newStmt(Stmt::Kind::kFor, forTok);
    if (!expressionList(out->extra().init, ";") || !expect(";")) return false;
    if (!isPunct(";") && !expression(out->expr)) return false;
    if (!expect(";")) return false;
    if (!expressionList(out->extra().step, ")") || !expect(")")) return false;
    return loopBody(out->thenStmt);
  }

  bool returnStatement(std::unique_ptr<Stmt>& out) {
    const Token& tok = take();
    if (!inProc_) return fail(tok, "'return' outside a procedure");
    out = newStmt(Stmt::Kind::kReturn, tok);
    if (!isPunct(";") && !expression(out->expr)) return false;
    return expect(";");
  }

  // string | int | float, then an optional "[]".
  bool typeName(VarType& type) {
    if (!isTypeWord(peek())) return fail(peek(), "expected a type before " + describe(peek()));
    type.base = baseOf(take().text);
    if (isPunct("[") && isPunct("]", 1)) {
      take();
      take();
      type.array = true;
    }
    return true;
  }

  bool procDefinition(std::unique_ptr<Stmt>& out) {
    const Token& start = peek();
    if (isIdent("global")) take();
    take();  // proc
    out = newStmt(Stmt::Kind::kProc, start);
    auto def = std::make_shared<ProcDef>();
    if (isTypeWord(peek())) {
      def->hasReturn = true;
      if (!typeName(def->returnType)) return false;
    }
    if (peek().kind != TokenKind::kIdent)
      return fail(peek(), "expected a procedure name before " + describe(peek()));
    def->name = take().text;
    if (!expect("(")) return false;
    if (!isPunct(")")) {
      while (true) {
        Param p;
        if (!typeName(p.type)) return false;
        if (peek().kind != TokenKind::kVar)
          return fail(peek(), "expected a parameter name before " + describe(peek()));
        p.name = take().text;
        if (isPunct("[") && isPunct("]", 1)) {
          take();
          take();
          p.type.array = true;
        }
        def->params.push_back(p);
        if (!isPunct(",")) break;
        take();
      }
    }
    if (!expect(")")) return false;
    if (!isPunct("{")) return fail(peek(), "expected '{' before " + describe(peek()));
    inProc_ = true;
    int savedLoops = loopDepth_;
    loopDepth_ = 0;
    bool ok = block(def->body);
    inProc_ = false;
    loopDepth_ = savedLoops;
    if (!ok) return false;
    out->extra().proc = std::move(def);
    return true;
  }

  bool declaration(std::unique_ptr<Stmt>& out) {
    out = newStmt(Stmt::Kind::kDecl, peek());
    if (isIdent("global")) {
      take();
      out->global = true;
    }
    if (!isTypeWord(peek())) return fail(peek(), "expected a type before " + describe(peek()));
    out->declType.base = baseOf(take().text);
    while (true) {
      if (peek().kind != TokenKind::kVar)
        return fail(peek(), "expected a variable name before " + describe(peek()));
      DeclItem item;
      item.line = peek().line;
      item.column = peek().column;
      item.name = take().text;
      bool array = false;
      if (isPunct("[")) {
        take();
        array = true;
        // A size hint ("string $a[4]") is accepted and ignored: arrays grow.
        if (!isPunct("]")) {
          std::unique_ptr<Expr> ignored;
          if (!expression(ignored)) return false;
        }
        if (!expect("]")) return false;
      }
      if (out->extra().items.empty()) {
        out->declType.array = array;
      } else if (out->declType.array != array) {
        return fail(peek(), "a declaration cannot mix arrays and scalars");
      }
      if (isPunct("=")) {
        take();
        if (!expression(item.init)) return false;
      }
      out->extra().items.push_back(std::move(item));
      if (!isPunct(",")) break;
      take();
    }
    return expect(";");
  }

  // ---- command syntax ----

  // Is `tok` the end of a command's argument list?
  bool endsCommand(const Token& tok, bool inBackquote) const {
    if (tok.kind == TokenKind::kEnd) return true;
    if (inBackquote) return tok.kind == TokenKind::kBackquote;
    return tok.kind == TokenKind::kPunct && tok.text == ";";
  }
  static bool breaksWord(const Token& tok) {
    if (tok.spaceBefore) return true;
    switch (tok.kind) {
      case TokenKind::kEnd:
      case TokenKind::kString:
      case TokenKind::kVar:
      case TokenKind::kBackquote:
        return true;
      case TokenKind::kPunct:
        return tok.text == ";" || tok.text == "(" || tok.text == ")" || tok.text == "{" || tok.text == "}";
      default:
        return false;
    }
  }

  // name arg arg ... up to ';' (not consumed), or up to the closing backquote.
  bool commandCall(std::unique_ptr<Expr>& out, bool inBackquote) {
    const Token& name = take();
    out = newExpr(Expr::Kind::kCall, name);
    out->text = name.text;
    out->commandSyntax = true;
    while (!endsCommand(peek(), inBackquote)) {
      std::unique_ptr<Expr> arg;
      if (!commandArgument(arg)) return false;
      if (!adopt(*out, std::move(arg))) return false;
    }
    return true;
  }

  bool commandArgument(std::unique_ptr<Expr>& out) {
    const Token& tok = peek();
    switch (tok.kind) {
      case TokenKind::kString:
        out = newExpr(Expr::Kind::kString, take());
        out->text = tok.text;
        return true;
      case TokenKind::kVar:
        return variable(out);
      case TokenKind::kBackquote:
        return backquote(out);
      case TokenKind::kPunct:
        if (tok.text == "(") {
          take();
          if (!expression(out)) return false;
          return expect(")");
        }
        if (tok.text == "{") return arrayLiteral(out);
        if (tok.text == ")" || tok.text == "}") return unexpected();
        break;
      default:
        break;
    }
    // A bare word: the source text of adjacent tokens.
    size_t first = pos_;
    take();
    while (!breaksWord(peek())) take();
    const Token& a = tokenAt(first);
    const Token& b = tokenAt(pos_ - 1);
    std::string word = src_.substr(a.offset, b.offset + b.length - a.offset);
    long long n;
    double f;
    if (parseIntWord(word, n)) {
      out = newExpr(Expr::Kind::kInt, a);
      out->number = n;
    } else if (!looksInteger(word) && parseFloatWord(word, f)) {
      // (An integer word too large for an int stays text: it is usually an
      // identifier, which a float would garble.)
      out = newExpr(Expr::Kind::kFloat, a);
      out->real = f;
    } else {
      out = newExpr(Expr::Kind::kString, a);
      out->text = std::move(word);
    }
    return true;
  }

  bool backquote(std::unique_ptr<Expr>& out) {
    Nest nest(*this);
    if (!checkDepth()) return false;
    take();
    if (peek().kind != TokenKind::kIdent) return fail(peek(), "expected a command name after '`'");
    if (isPunct("(", 1)) {
      if (!expression(out)) return false;
    } else if (!commandCall(out, true)) {
      return false;
    }
    if (peek().kind != TokenKind::kBackquote) return fail(peek(), "expected '`' before " + describe(peek()));
    take();
    return true;
  }

  // ---- expressions ----

  bool expression(std::unique_ptr<Expr>& out) {
    Nest nest(*this);
    if (!checkDepth()) return false;
    return assignment(out);
  }

  bool assignment(std::unique_ptr<Expr>& out) {
    if (!ternary(out)) return false;
    const Token& tok = peek();
    if (tok.kind == TokenKind::kPunct &&
        (tok.text == "=" || tok.text == "+=" || tok.text == "-=" || tok.text == "*=" || tok.text == "/=")) {
      if (out->kind != Expr::Kind::kVar && out->kind != Expr::Kind::kIndex)
        return fail(tok, "cannot assign to this expression");
      take();
      auto a = newExpr(Expr::Kind::kAssign, tok);
      a->text = tok.text;
      std::unique_ptr<Expr> value;
      if (!expression(value)) return false;
      if (!adopt(*a, std::move(out)) || !adopt(*a, std::move(value))) return false;
      out = std::move(a);
    }
    return true;
  }

  bool ternary(std::unique_ptr<Expr>& out) {
    if (!binary(out, 0)) return false;
    if (!isPunct("?")) return true;
    auto t = newExpr(Expr::Kind::kTernary, take());
    std::unique_ptr<Expr> a, b;
    if (!expression(a) || !expect(":") || !expression(b)) return false;
    if (!adopt(*t, std::move(out)) || !adopt(*t, std::move(a)) || !adopt(*t, std::move(b))) return false;
    out = std::move(t);
    return true;
  }

  // Binary operators by precedence level, lowest first.
  static int levelOf(const Token& tok) {
    if (tok.kind != TokenKind::kPunct) return -1;
    const std::string& o = tok.text;
    if (o == "||") return 0;
    if (o == "&&") return 1;
    if (o == "==" || o == "!=") return 2;
    if (o == "<" || o == ">" || o == "<=" || o == ">=") return 3;
    if (o == "+" || o == "-") return 4;
    if (o == "*" || o == "/" || o == "%") return 5;
    return -1;
  }

  // A chain of operators of one level ("1+2-3+...") becomes one node that
  // holds all its operands, read in a loop: it nests only as deep as its
  // deepest operand, so a sum of a thousand terms is as shallow as one of
  // two, and the nesting limit counts only real nesting (parentheses,
  // braces, blocks, calls, operators of different levels).
  bool binary(std::unique_ptr<Expr>& out, int level) {
    if (level > 5) return unary(out);
    if (!binary(out, level + 1)) return false;
    if (levelOf(peek()) != level) return true;
    auto chain = newExpr(Expr::Kind::kBinary, peek());
    if (!adopt(*chain, std::move(out))) return false;
    while (levelOf(peek()) == level) {
      chain->text.push_back(binaryOpCode(take().text));
      std::unique_ptr<Expr> rhs;
      if (!binary(rhs, level + 1)) return false;
      if (!adopt(*chain, std::move(rhs))) return false;
    }
    out = std::move(chain);
    return true;
  }

  bool unary(std::unique_ptr<Expr>& out) {
    const Token& tok = peek();
    if (tok.kind == TokenKind::kPunct && (tok.text == "-" || tok.text == "!" || tok.text == "+")) {
      Nest nest(*this);
      if (!checkDepth()) return false;
      take();
      std::unique_ptr<Expr> operand;
      if (!unary(operand)) return false;
      auto u = newExpr(Expr::Kind::kUnary, tok);
      u->text = tok.text;
      if (!adopt(*u, std::move(operand))) return false;
      out = std::move(u);
      return true;
    }
    if (tok.kind == TokenKind::kPunct && (tok.text == "++" || tok.text == "--")) {
      take();
      std::unique_ptr<Expr> target;
      if (!postfix(target)) return false;
      if (target->kind != Expr::Kind::kVar && target->kind != Expr::Kind::kIndex)
        return fail(tok, "'" + tok.text + "' needs a variable");
      auto u = newExpr(Expr::Kind::kIncDec, tok);
      u->text = tok.text;
      u->prefix = true;
      if (!adopt(*u, std::move(target))) return false;
      out = std::move(u);
      return true;
    }
    return postfix(out);
  }

  bool postfix(std::unique_ptr<Expr>& out) {
    if (!primary(out)) return false;
    const Token& tok = peek();
    if ((out->kind == Expr::Kind::kVar || out->kind == Expr::Kind::kIndex) && tok.kind == TokenKind::kPunct &&
        (tok.text == "++" || tok.text == "--")) {
      take();
      auto u = newExpr(Expr::Kind::kIncDec, tok);
      u->text = tok.text;
      if (!adopt(*u, std::move(out))) return false;
      out = std::move(u);
    }
    return true;
  }

  bool variable(std::unique_ptr<Expr>& out) {
    const Token& tok = take();
    if (isPunct("[")) {
      take();
      out = newExpr(Expr::Kind::kIndex, tok);
      out->text = tok.text;
      std::unique_ptr<Expr> index;
      if (!expression(index)) return false;
      if (!adopt(*out, std::move(index))) return false;
      return expect("]");
    }
    out = newExpr(Expr::Kind::kVar, tok);
    out->text = tok.text;
    return true;
  }

  // Expressions separated by "," up to `close`, adopted as children of
  // `into`; consumes `close`.
  bool commaList(Expr& into, const char* close) {
    if (!isPunct(close)) {
      while (true) {
        std::unique_ptr<Expr> e;
        if (!expression(e)) return false;
        if (!adopt(into, std::move(e))) return false;
        if (!isPunct(",")) break;
        take();
      }
    }
    return expect(close);
  }

  bool arrayLiteral(std::unique_ptr<Expr>& out) {
    out = newExpr(Expr::Kind::kArray, take());
    return commaList(*out, "}");
  }

  bool primary(std::unique_ptr<Expr>& out) {
    const Token& tok = peek();
    switch (tok.kind) {
      case TokenKind::kInt:
        out = newExpr(Expr::Kind::kInt, take());
        out->number = tok.number;
        return true;
      case TokenKind::kFloat:
        out = newExpr(Expr::Kind::kFloat, take());
        out->real = tok.real;
        return true;
      case TokenKind::kString:
        out = newExpr(Expr::Kind::kString, take());
        out->text = tok.text;
        return true;
      case TokenKind::kVar:
        return variable(out);
      case TokenKind::kBackquote:
        return backquote(out);
      case TokenKind::kIdent: {
        if (isPunct("(", 1)) return functionCall(out);
        // MEL's boolean words are the integers 1 and 0.
        static const struct {
          const char* word;
          int value;
        } kBooleans[] = {{"true", 1}, {"on", 1}, {"yes", 1}, {"false", 0}, {"off", 0}, {"no", 0}};
        for (const auto& b : kBooleans)
          if (tok.text == b.word) {
            out = newExpr(Expr::Kind::kInt, take());
            out->number = b.value;
            return true;
          }
        return unexpected();
      }
      case TokenKind::kPunct:
        if (tok.text == "(") {
          take();
          if (!expression(out)) return false;
          return expect(")");
        }
        if (tok.text == "{") return arrayLiteral(out);
        return unexpected();
      default:
        return unexpected();
    }
  }

  bool functionCall(std::unique_ptr<Expr>& out) {
    const Token& name = take();
    take();  // (
    out = newExpr(Expr::Kind::kCall, name);
    out->text = name.text;
    return commaList(*out, ")");
  }

  SyntaxError lexError_;
  mutable Lexer lexer_;
  mutable std::deque<Token> window_;  // tokens base_ ... base_ + size - 1
  mutable size_t base_ = 0;
  mutable bool endSeen_ = false;
  const std::string& src_;
  SyntaxError& error_;
  size_t pos_ = 0;
  int depth_ = 0;
  int loopDepth_ = 0;
  bool inProc_ = false;
};

}  // namespace

bool parseProgram(const std::string& text, Program& out, SyntaxError& error) {
  error = SyntaxError();
  // A lexical error anywhere is reported before any syntax error, as when
  // the whole text is tokenised first; the tokens of this pass are dropped.
  {
    Lexer check(text, error);
    Token t;
    do {
      if (!check.next(t)) return false;
    } while (t.kind != TokenKind::kEnd);
  }
  return Parser(text, error).program(out);
}

}  // namespace mel
