// The package string commands: zxpack builds one package string from its
// arguments; zxunpack parses one level of a package string into a string array.
#include "plugin/zx_package_commands.h"

#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <new>

#include "plugin/zx_package_string.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

namespace {

ZxString fromMaya(const MString& s) { return ZxString(s.asChar(), static_cast<int>(s.length())); }
MString toMaya(const ZxString& s) { return MString(s.c_str(), s.length()); }

// Appends the one-level writing of the MEL array `array` (type word first,
// then the elements) to `out`, as appendPackage() writes a ZxStringList,
// without copying the elements into one first.
void appendArrayPackage(const MStringArray& array, ZxString& out) {
  const unsigned int count = array.length();
  if (count == 0) return;
  ZxStringList first;
  first.add(fromMaya(array[0]));
  if (count == 1) {
    appendPackage(first, out);
    return;
  }
  const MString& word = array[0];
  const char* open = "(";
  const char* close = ")";
  unsigned int from = 1;
  if (word == "hash") {
    open = "{";
    close = "}";
  } else if (word == "scalar") {
    open = close = "";
  } else if (word != "array") {
    from = 0;  // untyped: every item is an element of an array
  }
  out.append(open);
  for (unsigned int i = from; i < count; ++i) {
    if (i > from) out.append(' ');
    appendQuotedElement(array[i].asChar(), static_cast<int>(array[i].length()), out);
  }
  out.append(close);
}

}  // namespace

void* zxPackageString::creator() { return new (std::nothrow) zxPackageString; }

MStatus zxPackageString::doIt(const MArgList& args) {
  const char* open = "";
  const char* close = "";
  unsigned int pos = 0;
  unsigned int count = args.length();
  ZxStringList list;
  ZxString result;

  // A first array argument either is a whole level (type word and
  // elements) or, holding a single type word, sets the brackets.
  MStringArray first;
  if (args.get(pos, first) == MStatus::kSuccess) {
    if (first.length() > 1) {
      appendArrayPackage(first, result);
      setResult(toMaya(result));
      return MStatus::kSuccess;
    }
    if (first.length() == 1) {
      if (first[0] == "hash") {
        open = "{";
        close = "}";
        ++pos;
      } else if (first[0] == "array" || first[0] == "scalar") {
        open = "(";
        close = ")";
        ++pos;
      }
    }
  }

  result.append(open);
  for (unsigned int i = pos; i < count; ++i) {
    MStringArray array;
    MString text;
    int number = 0;
    bool piece = true;
    unsigned int at = i;
    if (args.get(at, array) == MStatus::kSuccess) {
      if (array.length() > 0) {
        // The array's one-level writing is quoted as one element, so that
        // the level written here parses back into the pieces it was given
        // (written bare, "(1 2)" inside "{...}" would split into "(1" and "2)").
        ZxString nested;
        appendArrayPackage(array, nested);
        appendQuotedElement(nested.c_str(), nested.length(), result);
      } else {
        piece = false;  // an empty array contributes nothing
      }
    } else if (args.get(i, text) == MStatus::kSuccess) {
      list.clear();
      list.add(fromMaya(text));
      appendPackage(list, result);
    } else if (args.get(i, number) == MStatus::kSuccess) {
      result.appendInt(number);
    } else {
      piece = false;
    }
    if (piece && i + 1 < count) result.append(' ');
  }
  result.append(close);
  setResult(toMaya(result));
  return MStatus::kSuccess;
}

void* zxUnPackageString::creator() { return new (std::nothrow) zxUnPackageString; }

// Each element goes to the result as it is read: no list of all of them
// is built on the way (parsePackage() gives the same items).
MStatus zxUnPackageString::doIt(const MArgList& args) {
  const MString text = args.asString(0);
  PackageElementReader reader(text.asChar(), static_cast<int>(text.length()));
  switch (reader.kind()) {
    case PackageKind::kScalar:
      appendToResult(MString("scalar"));
      break;
    case PackageKind::kArray:
      appendToResult(MString("array"));
      break;
    case PackageKind::kHash:
      appendToResult(MString("hash"));
      break;
  }
  const char* bytes = nullptr;
  int n = 0;
  while (reader.next(bytes, n)) appendToResult(MString(bytes, n));
  return MStatus::kSuccess;
}
