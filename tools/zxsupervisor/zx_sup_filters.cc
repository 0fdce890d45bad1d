// Reading filters into selections.
#include "zx_sup_filters.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "model/zx_field.h"
#include "model/zx_flags.h"

namespace zxsup {

namespace {

struct FieldName {
  const char* name;
  Column column;
};
constexpr FieldName kFields[] = {
    {"id", Column::kId},
    {"user", Column::kUser},
    {"status", Column::kStatus},
    {"name", Column::kName},
    {"pid", Column::kPid},
    {"pgrp", Column::kPgrp},
    {"priority", Column::kPriority},
    {"cluster", Column::kCluster},
    {"cpus", Column::kCpus},
};

std::string bytes(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trimmed(const std::string& s) {
  size_t from = 0, to = s.size();
  while (from < to && isBlank(s[from])) ++from;
  while (to > from && isBlank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

bool parseIntText(const std::string& raw, int* out) {
  const std::string s = trimmed(raw);
  if (s.empty()) return false;
  size_t i = s[0] == '-' ? 1 : 0;
  if (i == s.size()) return false;
  for (size_t k = i; k < s.size(); ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  errno = 0;
  const long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (errno != 0 || v < INT_MIN || v > INT_MAX) return false;
  *out = static_cast<int>(v);
  return true;
}

bool parseIdText(const std::string& raw, int* id, int* subId) {
  const std::string s = trimmed(raw);
  const size_t dot = s.find('.');
  if (!parseIntText(s.substr(0, dot), id) || *id < 0) return false;
  if (dot == std::string::npos) {
    *subId = -1;
    return true;
  }
  const std::string sub = s.substr(dot + 1);
  // "12." names subjob 0, as the job commands read it.
  if (sub.empty()) {
    *subId = 0;
    return true;
  }
  if (sub == "*") {
    *subId = -2;
    return true;
  }
  return parseIntText(sub, subId) && *subId >= 0;
}

Test textTest(char sign, const std::string& value) {
  Test t;
  t.text = value;
  switch (sign) {
    case '>':
      t.op = Test::kGreater;
      break;
    case '<':
      t.op = Test::kLess;
      break;
    case '%':
      t.op = Test::kContains;
      break;
    case '*':
      t.op = Test::kPattern;
      break;
    case '~':
      t.op = Test::kPatternNoCase;
      break;
    default:
      t.op = Test::kEqual;
  }
  return t;
}

Test numberTest(char sign, const std::string& value) {
  if (sign == '%' || sign == '*' || sign == '~') return textTest(sign, value);
  Test t = textTest(sign, value);
  int n = 0;
  if (!parseIntText(value, &n)) {
    t.op = Test::kNever;
    return t;
  }
  t.number = n;
  return t;
}

bool statusTest(char sign, const std::string& raw, Test& t, ZxString& error) {
  const std::string value = trimmed(raw);
  int code = 0;
  if (value == "active" || value == "done" || value == "assigned") {
    if (sign != '=') {
      error = ZxString("the status class ").append(value.c_str()).append(" compares with = only");
      return false;
    }
    t.op = value == "active" ? Test::kActive : value == "done" ? Test::kDone : Test::kAssigned;
    return true;
  }
  if (sign != '=' && sign != '>' && sign != '<') {
    error = ZxString("status compares with =, > or < only");
    return false;
  }
  if (!parseIntText(value, &code)) {
    const ZxString name(value.data(), static_cast<int>(value.size()));
    code = StatusCode::valueOf(name);
    if (code == StatusCode::kNone && value != "none") {
      error = ZxString("unknown status: ").append(name);
      return false;
    }
  }
  t = textTest(sign, value);
  t.number = code;
  return true;
}

}  // namespace

bool parseInt(const ZxString& text, int* out) { return parseIntText(bytes(text), out); }

bool parseJobIdText(const ZxString& text, int* id, int* subId) { return parseIdText(bytes(text), id, subId); }

bool readFilters(const ZxFilterList& filters, Filters& out, ZxString& error) {
  std::set<int> whole;
  std::map<int, std::set<int>> named;
  long long values = 0;
  for (int i = 0; i < filters.count(); ++i) {
    const ZxFilter* f = filters.get(i);
    if (!f) continue;
    const FieldName* field = nullptr;
    for (const FieldName& n : kFields)
      if (f->name() == n.name) field = &n;
    if (!field) {
      error = ZxString("unknown filter: ").append(f->name());
      return false;
    }
    Condition c;
    c.column = field->column;
    c.negated = f->neg();
    for (int k = 0; k < f->fields().count(); ++k) {
      const ZxField* v = f->fields().get(k);
      if (!v) continue;
      const char sign = v->sign() ? v->sign() : (f->sign() ? f->sign() : '=');
      if (!ZxField::isOperator(sign)) {
        error =
            ZxString("filter ").append(f->name()).append(": unknown comparison '").append(sign).append("'");
        return false;
      }
      const std::string value = bytes(v->name());
      std::vector<std::string> pieces;
      if (c.column == Column::kId) {
        // One value may list several ids, as a job listing sends them.
        size_t from = 0;
        for (;;) {
          const size_t comma = value.find(',', from);
          const std::string piece =
              value.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
          if (!trimmed(piece).empty()) pieces.push_back(piece);
          if (comma == std::string::npos) break;
          from = comma + 1;
        }
      } else {
        pieces.push_back(value);
      }
      for (const std::string& piece : pieces) {
        if (++values > kMaxSelectionValues) {
          error = ZxString("too many filter values (at most ").appendInt(kMaxSelectionValues).append(")");
          return false;
        }
        Test t;
        if (c.column == Column::kStatus) {
          if (!statusTest(sign, piece, t, error)) return false;
        } else if (c.column == Column::kId && sign == '=') {
          int id = 0, sub = -1;
          if (!parseIdText(piece, &id, &sub)) {
            error = ZxString("not a job id: ").append(piece.c_str());
            return false;
          }
          t.op = Test::kEqual;
          t.number = id;
          if (!c.negated) {
            if (sub >= 0)
              named[id].insert(sub);
            else
              whole.insert(id);
          }
        } else if (isNumericColumn(c.column)) {
          t = numberTest(sign, piece);
        } else {
          t = textTest(sign, piece);
        }
        c.tests.push_back(std::move(t));
      }
    }
    out.conditions.push_back(std::move(c));
  }
  for (auto& entry : named)
    if (!whole.count(entry.first)) out.subjobsNamed[entry.first] = std::move(entry.second);
  return true;
}

}  // namespace zxsup
