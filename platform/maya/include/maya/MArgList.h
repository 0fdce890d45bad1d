// MArgList: the arguments a MEL command received, one slot per argument.
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
//
// Each slot holds one of four kinds: a string, an integer, a float or a
// string array. The readers behave as follows on each kind:
//
//   reader                         string        integer       float         string array
//   get(i, MString&)               the text      decimal text  "%g" text     kFailure
//   asString(i, &status)           the text      decimal text  "%g" text     "" and kFailure
//   get(i, int&)                   kSuccess only  the value    truncated     kFailure
//                                  when the text
//                                  is an integer
//   get(i, double&)                as int        the value     the value     kFailure
//   get(i&, MStringArray&)         kFailure      kFailure      kFailure      the array
//
// An index past the end gives kFailure (and "" from asString). A failed read
// leaves the output unchanged. get(i&, MStringArray&) takes the index by
// reference, as Maya's does, and leaves it on the slot it read, so a command
// that walks its arguments increases the index by one to reach the next one.
#pragma once

#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <vector>

class MArgList {
 public:
  enum class Kind { kString, kInt, kFloat, kStringArray };

  MArgList() = default;

  unsigned int length(MStatus* status = nullptr) const {
    if (status) *status = MStatus::kSuccess;
    return static_cast<unsigned int>(slots_.size());
  }

  MStatus get(unsigned int index, MString& out) const;
  MStatus get(unsigned int index, int& out) const;
  MStatus get(unsigned int index, double& out) const;
  MStatus get(unsigned int& index, MStringArray& out) const;
  MString asString(unsigned int index, MStatus* status = nullptr) const;
  int asInt(unsigned int index, MStatus* status = nullptr) const;

  // Host-side construction of the argument list.
  void addString(const MString& s);
  void addInt(int v);
  void addFloat(double v);
  void addStringArray(const MStringArray& a);
  Kind kindAt(unsigned int index) const { return slots_[index].kind; }

 private:
  struct Slot {
    Kind kind;
    MString text;
    long long number = 0;
    double real = 0;
    MStringArray array;
  };
  std::vector<Slot> slots_;
};
