// MEL values and their conversions.
#include "zx_mel_value.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace mel {

Value Value::ofInt(long long v) {
  Value r;
  r.kind = Kind::kInt;
  r.number = wrapInt(v);
  return r;
}
Value Value::ofFloat(double v) {
  Value r;
  r.kind = Kind::kFloat;
  r.real = v;
  return r;
}
Value Value::ofString(std::string v) {
  Value r;
  r.kind = Kind::kString;
  r.text = std::move(v);
  return r;
}
Value Value::emptyArray(VarType::Base element) {
  Value r;
  r.kind = Kind::kArray;
  r.element = element;
  return r;
}
Value Value::ofStrings(const std::vector<std::string>& items) {
  Value r = emptyArray(VarType::Base::kString);
  r.items.reserve(items.size());
  for (const std::string& s : items) r.items.push_back(ofString(s));
  return r;
}
Value Value::ofStrings(std::vector<std::string>&& items) {
  Value r = emptyArray(VarType::Base::kString);
  r.items.reserve(items.size());
  for (std::string& s : items) r.items.push_back(ofString(std::move(s)));
  items.clear();
  return r;
}
Value Value::defaultOf(const VarType& type) {
  if (type.array) return emptyArray(type.base);
  switch (type.base) {
    case VarType::Base::kInt:
      return ofInt(0);
    case VarType::Base::kFloat:
      return ofFloat(0);
    case VarType::Base::kString:
      break;
  }
  return ofString("");
}

long long wrapInt(long long v) {
  return static_cast<long long>(
      static_cast<int>(static_cast<unsigned int>(static_cast<unsigned long long>(v))));
}

namespace {
long long floatToInt(double f) {
  if (std::isnan(f)) return 0;
  if (f >= 2147483647.0) return INT_MAX;
  if (f <= -2147483648.0) return INT_MIN;
  return static_cast<long long>(f);
}
}  // namespace

long long asInt(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kInt:
      return v.number;
    case Value::Kind::kFloat:
      return floatToInt(v.real);
    case Value::Kind::kString: {
      // The number the text starts with, read as a float so "2.5" gives 2.
      const char* s = v.text.c_str();
      char* end = nullptr;
      errno = 0;
      long long n = std::strtoll(s, &end, 10);
      if (end != s && *end != '.' && *end != 'e' && *end != 'E') {
        if (errno == ERANGE || n > INT_MAX) return INT_MAX;
        if (n < INT_MIN) return INT_MIN;
        return n;
      }
      return floatToInt(asFloat(v));
    }
    default:
      return 0;
  }
}

double asFloat(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kInt:
      return static_cast<double>(v.number);
    case Value::Kind::kFloat:
      return v.real;
    case Value::Kind::kString: {
      const char* s = v.text.c_str();
      char* end = nullptr;
      double d = std::strtod(s, &end);
      return end == s ? 0 : d;
    }
    default:
      return 0;
  }
}

std::string floatText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string asText(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kInt:
      return std::to_string(v.number);
    case Value::Kind::kFloat:
      return floatText(v.real);
    case Value::Kind::kString:
      return v.text;
    default:
      return std::string();
  }
}

bool truthy(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kInt:
      return v.number != 0;
    case Value::Kind::kFloat:
      return v.real != 0;
    case Value::Kind::kString:
      return !v.text.empty();
    case Value::Kind::kArray:
      return !v.items.empty();
    default:
      return false;
  }
}

namespace {
const char* baseName(VarType::Base b) {
  switch (b) {
    case VarType::Base::kInt:
      return "int";
    case VarType::Base::kFloat:
      return "float";
    case VarType::Base::kString:
      break;
  }
  return "string";
}

Value convertScalar(VarType::Base base, const Value& v) {
  switch (base) {
    case VarType::Base::kInt:
      return Value::ofInt(asInt(v));
    case VarType::Base::kFloat:
      return Value::ofFloat(asFloat(v));
    case VarType::Base::kString:
      break;
  }
  return Value::ofString(asText(v));
}
}  // namespace

std::string typeName(const VarType& t) { return std::string(baseName(t.base)) + (t.array ? "[]" : ""); }

std::string typeName(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kNone:
      return "nothing";
    case Value::Kind::kInt:
      return "int";
    case Value::Kind::kFloat:
      return "float";
    case Value::Kind::kString:
      return "string";
    case Value::Kind::kArray:
      return std::string(baseName(v.element)) + "[]";
  }
  return "nothing";
}

bool convertTo(const VarType& t, const Value& v, Value& out, std::string& error) {
  if (t.array != v.isArray() || v.kind == Value::Kind::kNone) {
    error = "Cannot convert data of type " + typeName(v) + " to type " + typeName(t) + ".";
    return false;
  }
  if (!t.array) {
    out = convertScalar(t.base, v);
    return true;
  }
  if (v.element == t.base) {
    out = v;
    return true;
  }
  Value r = Value::emptyArray(t.base);
  r.items.reserve(v.items.size());
  for (const Value& item : v.items) r.items.push_back(convertScalar(t.base, item));
  out = std::move(r);
  return true;
}

bool convertTo(const VarType& t, Value&& v, Value& out, std::string& error) {
  if (t.array && v.isArray() && v.element == t.base) {
    out = std::move(v);
    return true;
  }
  return convertTo(t, static_cast<const Value&>(v), out, error);
}

}  // namespace mel
