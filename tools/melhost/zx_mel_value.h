// MEL values: nothing, int, float, string, or an array of one of the three,
// with MEL's conversions between them.
//
// Ints are 32-bit as in MEL: every int operation wraps to 32 bits. The value
// is kept in a long long only so that the arithmetic itself cannot overflow.
#pragma once

#include <string>
#include <vector>

#include "zx_mel_ast.h"

namespace mel {

struct Value {
  enum class Kind { kNone, kInt, kFloat, kString, kArray };
  Kind kind = Kind::kNone;
  VarType::Base element = VarType::Base::kString;  // for kArray
  long long number = 0;
  double real = 0;
  std::string text;
  std::vector<Value> items;  // kArray: scalars of kind `element`

  static Value ofInt(long long v);
  static Value ofFloat(double v);
  static Value ofString(std::string v);
  static Value emptyArray(VarType::Base element);
  static Value ofStrings(const std::vector<std::string>& items);
  // Takes the strings over (a command's result is handed on, not copied).
  static Value ofStrings(std::vector<std::string>&& items);
  // The default value of a declared type: 0, 0.0, "" or an empty array.
  static Value defaultOf(const VarType& type);

  bool isArray() const { return kind == Kind::kArray; }
  bool isScalar() const { return kind == Kind::kInt || kind == Kind::kFloat || kind == Kind::kString; }
};

// Wraps a 64-bit value to MEL's 32-bit int.
long long wrapInt(long long v);

// Scalar conversions. A string converts to the number it starts with (0 when
// none); a float converts to int by truncation, saturating at the int range.
long long asInt(const Value& v);
double asFloat(const Value& v);
std::string asText(const Value& v);
// "%g"-style text of a float, as MEL prints it.
std::string floatText(double v);
// Condition truth: non-zero numbers, non-empty strings and arrays.
bool truthy(const Value& v);

// The name of a value's type as MEL writes it ("string", "int[]", ...).
std::string typeName(const Value& v);
std::string typeName(const VarType& t);

// Converts `v` to the declared type `t`. Scalars convert among themselves and
// arrays among themselves; a scalar into an array or an array into a scalar
// fails with a message in `error`.
bool convertTo(const VarType& t, const Value& v, Value& out, std::string& error);
// The same for a value that is not needed afterwards: an array that needs no
// conversion is moved, not copied.
bool convertTo(const VarType& t, Value&& v, Value& out, std::string& error);

}  // namespace mel
