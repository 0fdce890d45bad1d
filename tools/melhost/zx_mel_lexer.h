// The MEL lexer: turns script text into tokens with their positions.
//
// Every token remembers its byte offset and length in the source and whether
// white space or a comment came before it. The parser needs both for MEL's
// command syntax, where a bare word such as `-user`, `12.*` or `/tmp/a.mel`
// is the source text of several adjacent tokens glued together.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mel {

enum class TokenKind {
  kEnd,        // end of the text
  kIdent,      // name: letters, digits, underscores, not starting with a digit
  kVar,        // $name; text holds the name without the '$'
  kInt,        // integer literal; number holds the value
  kFloat,      // float literal; real holds the value
  kString,     // "..." with its escapes decoded into text
  kPunct,      // operator or punctuation; text holds it ("==", "(", ";", ...)
  kBackquote,  // `
  kOther,      // any other byte; only bare command words may contain it
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  long long number = 0;
  double real = 0;
  size_t offset = 0;
  size_t length = 0;
  int line = 1;
  int column = 1;
  bool spaceBefore = false;
};

struct SyntaxError {
  int line = 0;
  int column = 0;
  std::string message;
};

// Reads the tokens of a text one at a time, so that a parser need not hold
// all the tokens of a long script at once. The text must outlive the lexer.
class Lexer {
 public:
  Lexer(const std::string& text, SyntaxError& error);
  Lexer(const Lexer&) = delete;
  Lexer& operator=(const Lexer&) = delete;

  // The next token (kEnd, for ever, once the text is read). False, with
  // `error` filled, on a lexical error.
  bool next(Token& t);

 private:
  int column() const;
  bool fail(int line, int col, const std::string& message);
  void newline();
  bool skipSpace(bool& space);
  bool lexOne(Token& t);
  bool lexString(Token& t);
  bool lexNumber(Token& t);

  const std::string& s_;
  SyntaxError& error_;
  size_t pos_ = 0;
  size_t lineStart_ = 0;
  int line_ = 1;
  bool space_ = true;  // white space (or the start) before the next token
  bool ended_ = false;
};

// Tokenises the whole text. On failure returns false and fills `error`; the
// tokens read so far stay in `out`. The last token is always kEnd on success.
bool tokenize(const std::string& text, std::vector<Token>& out, SyntaxError& error);

// True when `word` is a whole integer literal (optional sign, decimal or
// 0x hexadecimal) or a whole float literal; the value goes to `value`.
bool parseIntWord(const std::string& word, long long& value);
bool parseFloatWord(const std::string& word, double& value);
// True when `word` has the shape of an integer literal, whatever its size.
bool looksInteger(const std::string& word);

}  // namespace mel
