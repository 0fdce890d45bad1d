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

void listFromArray(const MStringArray& array, ZxStringList& list) {
  list.clear();
  for (unsigned int i = 0; i < array.length(); ++i) list.add(fromMaya(array[i]));
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
      listFromArray(first, list);
      writePackage(list, result);
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
        listFromArray(array, list);
        ZxString nested;
        writePackage(list, nested);
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

MStatus zxUnPackageString::doIt(const MArgList& args) {
  ZxStringList list;
  parsePackage(fromMaya(args.asString(0)), list);
  for (int i = 0; i < list.count(); ++i) appendToResult(toMaya(*list.get(i)));
  return MStatus::kSuccess;
}
