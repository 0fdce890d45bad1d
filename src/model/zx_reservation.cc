// ZxReservation: the expression tokenizer, the reservation text in both
// directions, and the reservation list and hash texts.
#include "model/zx_reservation.h"

#include <cstdlib>
#include <new>

#include "model/zx_flag_table.h"
#include "model/zx_string_list.h"
#include "util/zx_out_of_memory.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isSingle(char c) {
  return c == '(' || c == ')' || c == '*' || c == '+' || c == '-' || c == '/' || c == ':' || c == '?';
}
bool isCompare(char c) { return c == '<' || c == '=' || c == '>'; }
bool isLogic(char c) { return c == '!' || c == '&' || c == '|'; }
bool isQuote(char c) { return c == '"' || c == '\''; }
bool endsWord(char c) { return isBlank(c) || isSingle(c) || isCompare(c) || isLogic(c) || isQuote(c); }

}  // namespace

void zxTokenizeExpression(const ZxString& text, ZxStringList& tokens) {
  tokens.clear();
  const char* p = text.c_str();
  const int n = text.length();
  int i = 0;
  while (i < n) {
    const char c = p[i];
    if (isBlank(c)) {
      ++i;
    } else if (isSingle(c)) {
      tokens.add(ZxString(p + i, 1));
      ++i;
    } else if (isCompare(c)) {
      int len = (i + 1 < n && isCompare(p[i + 1])) ? 2 : 1;
      tokens.add(ZxString(p + i, len));
      i += len;
    } else if (isLogic(c)) {
      const char pair = c == '!' ? '=' : c;
      int len = (i + 1 < n && p[i + 1] == pair) ? 2 : 1;
      tokens.add(ZxString(p + i, len));
      i += len;
    } else if (isQuote(c)) {
      ZxString token;
      ++i;
      while (i < n && p[i] != c) {
        if (p[i] == '\\' && i + 1 < n) ++i;
        token.append(p[i]);
        ++i;
      }
      if (i < n) ++i;  // the closing quote
      tokens.add(token);
    } else {
      int start = i;
      while (i < n && !endsWord(p[i])) ++i;
      tokens.add(ZxString(p + start, i - start));
    }
  }
}

ZxString ZxReservation::key() const {
  ZxString k(kindText());
  k.append('.');
  k.append(name_);
  return k;
}

void ZxReservation::fromReservationText(const ZxString& text) {
  ZxStringList tokens;
  zxTokenizeExpression(text, tokens);
  if (tokens.count() == 0) return;
  const ZxString& first = *tokens.get(0);
  const char* f = first.c_str();
  int dot = 0;
  while (dot < first.length() && f[dot] != '.') ++dot;
  setKindText(ZxString(f, dot));
  if (dot < first.length())
    name_.assign(f + dot + 1, first.length() - dot - 1);
  else
    name_.clear();
  // tokens.get(1) is normally "=" and is not examined.
  if (cls_ == ResourceKind::kHost) {
    if (tokens.count() < 3) return;
    const ZxString& amount = *tokens.get(2);
    if (amount == "all") {
      count_ = 1;
      maximum_ = kMaxAll;
      return;
    }
    count_ = amount.toInt();
    if (tokens.count() > 3) {
      const ZxString& bound = *tokens.get(3);
      if (bound == "+")
        maximum_ = kMaxPlus;
      else if (bound == "*")
        maximum_ = kMaxAll;
    }
    if (tokens.count() > 4) {
      int upper = tokens.get(4)->toInt();
      if (upper > 0) maximum_ = upper;
    }
  } else if (isCountedKind()) {
    if (tokens.count() > 2) count_ = tokens.get(2)->toInt();
  }
}

ZxString ZxReservation::reservationText() const {
  ZxString text = key();
  if (cls_ == ResourceKind::kUnlimited) return text;
  if (cls_ >= ResourceKind::kHost && cls_ <= ResourceKind::kScopedLicense) {
    text.append('=');
    text.appendInt(count_);
    if (maximum_ == kMaxPlus) {
      text.append('+');
    } else if (maximum_ == kMaxAll) {
      text.append('*');
    } else if (maximum_ > 0) {
      text.append('-');
      text.appendInt(maximum_);
    }
  } else {
    text.append("unknown");
  }
  return text;
}

void ZxReservationList::fromReservationText(const ZxString& text) {
  clear();
  ZxStringList items = splitList(text);
  for (int i = 0; i < items.count(); ++i) {
    ZxReservation* r = zxNew<ZxReservation>(*items.get(i));
    if (r) append(r);
  }
}

ZxString ZxReservationList::reservationText() const {
  ZxString text;
  for (int i = 0; i < count(); ++i) {
    if (i > 0) text.append(',');
    if (const ZxReservation* r = get(i)) text.append(r->reservationText());
  }
  return text;
}

void ZxReservationHash::fromReservationText(const ZxString& text) {
  clear();
  ZxStringList items = splitList(text);
  for (int i = 0; i < items.count(); ++i) {
    ZxReservation* r = zxNew<ZxReservation>(*items.get(i));
    ZxString* k = r ? zxNew<ZxString>(r->key()) : nullptr;
    if (!k || !insert(k, r)) {
      delete k;
      delete r;
    }
  }
}

ZxString ZxReservationHash::reservationText() const {
  ZxString text;
  bool first = true;
  forEach([&](const ZxString&, const ZxReservation* r) {
    if (!r) return;
    if (!first) text.append(',');
    first = false;
    text.append(r->reservationText());
  });
  return text;
}
