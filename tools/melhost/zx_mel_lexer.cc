// The MEL lexer: comments, strings with escapes, numbers, names, operators.
#include "zx_mel_lexer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace mel {
namespace {

bool isIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentChar(char c) { return isIdentStart(c) || isDigit(c); }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Operators, longest first so that "==" wins over "=".
const char* const kOperators[] = {
    "==", "!=", "<=", ">=", "&&", "||", "++", "--", "+=", "-=", "*=", "/=", "(", ")", "{", "}",
    "[",  "]",  ";",  ",",  "=",  "<",  ">",  "+",  "-",  "*",  "/",  "%",  "!", "?", ":", "."};

// Integer literals larger than this are not numbers but text: MEL integers
// are 32 bits, and the value is kept in 64 bits only to wrap it later.
constexpr unsigned long long kMaxIntLiteral = 0xFFFFFFFFull;

}  // namespace

Lexer::Lexer(const std::string& text, SyntaxError& error) : s_(text), error_(error) {
  // A UTF-8 byte order mark, as some editors write, is not part of the script.
  if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = lineStart_ = 3;
}

bool Lexer::next(Token& t) {
  t = Token();
  if (ended_) {
    t.offset = s_.size();
    t.line = line_;
    t.column = column();
    t.spaceBefore = true;
    return true;
  }
  if (!skipSpace(space_)) return false;
  if (pos_ >= s_.size()) {
    ended_ = true;
    return next(t);
  }
  t.offset = pos_;
  t.line = line_;
  t.column = column();
  t.spaceBefore = space_;
  space_ = false;
  if (!lexOne(t)) return false;
  t.length = pos_ - t.offset;
  return true;
}

int Lexer::column() const { return static_cast<int>(pos_ - lineStart_) + 1; }

bool Lexer::fail(int line, int col, const std::string& message) {
  error_.line = line;
  error_.column = col;
  error_.message = message;
  return false;
}

void Lexer::newline() {
  ++line_;
  lineStart_ = pos_ + 1;
}

// Skips white space and comments; sets `space` when anything was skipped.
bool Lexer::skipSpace(bool& space) {
  while (pos_ < s_.size()) {
    char c = s_[pos_];
    if (c == '\n') {
      newline();
      ++pos_;
      space = true;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++pos_;
      space = true;
    } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
      while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
      space = true;
    } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '*') {
      int line = line_, col = column();
      pos_ += 2;
      while (pos_ < s_.size() && !(s_[pos_] == '*' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/')) {
        if (s_[pos_] == '\n') newline();
        ++pos_;
      }
      if (pos_ >= s_.size()) return fail(line, col, "unterminated comment");
      pos_ += 2;
      space = true;
    } else {
      break;
    }
  }
  return true;
}

bool Lexer::lexOne(Token& t) {
  char c = s_[pos_];
  if (c == '"') return lexString(t);
  if (c == '`') {
    t.kind = TokenKind::kBackquote;
    t.text = "`";
    ++pos_;
    return true;
  }
  if (c == '$') {
    size_t start = ++pos_;
    if (pos_ >= s_.size() || !isIdentStart(s_[pos_]))
      return fail(t.line, t.column, "'$' not followed by a name");
    while (pos_ < s_.size() && isIdentChar(s_[pos_])) ++pos_;
    t.kind = TokenKind::kVar;
    t.text = s_.substr(start, pos_ - start);
    return true;
  }
  if (isIdentStart(c)) {
    size_t start = pos_;
    while (pos_ < s_.size() && isIdentChar(s_[pos_])) ++pos_;
    t.kind = TokenKind::kIdent;
    t.text = s_.substr(start, pos_ - start);
    return true;
  }
  if (isDigit(c) || (c == '.' && pos_ + 1 < s_.size() && isDigit(s_[pos_ + 1]))) return lexNumber(t);
  for (const char* op : kOperators) {
    size_t n = std::strlen(op);
    if (s_.compare(pos_, n, op) == 0) {
      t.kind = TokenKind::kPunct;
      t.text = op;
      pos_ += n;
      return true;
    }
  }
  t.kind = TokenKind::kOther;
  t.text = std::string(1, c);
  ++pos_;
  return true;
}

bool Lexer::lexString(Token& t) {
  ++pos_;
  std::string value;
  while (true) {
    if (pos_ >= s_.size() || s_[pos_] == '\n') return fail(t.line, t.column, "unterminated string");
    char c = s_[pos_++];
    if (c == '"') break;
    if (c != '\\') {
      value += c;
      continue;
    }
    if (pos_ >= s_.size()) return fail(t.line, t.column, "unterminated string");
    char e = s_[pos_++];
    switch (e) {
      case 'n':
        value += '\n';
        break;
      case 't':
        value += '\t';
        break;
      case 'r':
        value += '\r';
        break;
      case '\n':
        newline();
        break;  // a backslash at the end of a line continues the string
      default:
        value += e;
        break;  // \" \\ and any other escaped character stand for themselves
    }
  }
  t.kind = TokenKind::kString;
  t.text = std::move(value);
  return true;
}

bool Lexer::lexNumber(Token& t) {
  size_t start = pos_;
  if (s_[pos_] == '0' && pos_ + 2 < s_.size() && (s_[pos_ + 1] == 'x' || s_[pos_ + 1] == 'X') &&
      isHexDigit(s_[pos_ + 2])) {
    pos_ += 2;
    while (pos_ < s_.size() && isHexDigit(s_[pos_])) ++pos_;
  } else {
    while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
    bool isFloat = false;
    if (pos_ < s_.size() && s_[pos_] == '.') {
      isFloat = true;
      ++pos_;
      while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
    }
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      size_t e = pos_ + 1;
      if (e < s_.size() && (s_[e] == '+' || s_[e] == '-')) ++e;
      if (e < s_.size() && isDigit(s_[e])) {
        isFloat = true;
        pos_ = e;
        while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
      }
    }
    if (isFloat) {
      t.kind = TokenKind::kFloat;
      t.text = s_.substr(start, pos_ - start);
      parseFloatWord(t.text, t.real);
      return true;
    }
  }
  t.text = s_.substr(start, pos_ - start);
  if (!parseIntWord(t.text, t.number)) {
    // Too large for an int: a decimal literal becomes a float, a hex one
    // has no sensible value.
    if (t.text.size() > 1 && (t.text[1] == 'x' || t.text[1] == 'X'))
      return fail(t.line, t.column, "integer literal out of range");
    t.kind = TokenKind::kFloat;
    parseFloatWord(t.text, t.real);
    return true;
  }
  t.kind = TokenKind::kInt;
  return true;
}

bool tokenize(const std::string& text, std::vector<Token>& out, SyntaxError& error) {
  Lexer lexer(text, error);
  for (;;) {
    Token t;
    if (!lexer.next(t)) return false;
    bool end = t.kind == TokenKind::kEnd;
    out.push_back(std::move(t));
    if (end) return true;
  }
}

bool parseIntWord(const std::string& word, long long& value) {
  size_t i = 0;
  bool negative = false;
  if (i < word.size() && (word[i] == '-' || word[i] == '+')) negative = word[i++] == '-';
  if (i >= word.size()) return false;
  unsigned long long v = 0;
  int base = 10;
  if (word.size() - i > 2 && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  for (; i < word.size(); ++i) {
    char c = word[i];
    int d;
    if (isDigit(c))
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * base + d;
    if (v > kMaxIntLiteral) return false;
  }
  value = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
  return true;
}

bool looksInteger(const std::string& word) {
  size_t i = 0;
  if (i < word.size() && (word[i] == '-' || word[i] == '+')) ++i;
  if (i >= word.size()) return false;
  if (word.size() - i > 2 && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X')) {
    for (i += 2; i < word.size(); ++i)
      if (!isHexDigit(word[i])) return false;
    return true;
  }
  for (; i < word.size(); ++i)
    if (!isDigit(word[i])) return false;
  return true;
}

bool parseFloatWord(const std::string& word, double& value) {
  size_t i = 0;
  if (i < word.size() && (word[i] == '-' || word[i] == '+')) ++i;
  // Only plain decimal forms: digits, an optional point, an optional exponent.
  bool digits = false, point = false;
  size_t j = i;
  for (; j < word.size(); ++j) {
    if (isDigit(word[j]))
      digits = true;
    else if (word[j] == '.' && !point)
      point = true;
    else
      break;
  }
  if (!digits) return false;
  if (j < word.size() && (word[j] == 'e' || word[j] == 'E')) {
    size_t k = j + 1;
    if (k < word.size() && (word[k] == '+' || word[k] == '-')) ++k;
    if (k >= word.size() || !isDigit(word[k])) return false;
    while (k < word.size() && isDigit(word[k])) ++k;
    j = k;
  }
  if (j != word.size()) return false;
  errno = 0;
  value = std::strtod(word.c_str(), nullptr);
  return true;
}

}  // namespace mel
