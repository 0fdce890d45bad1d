// MArgList's readers on each slot kind (the table is in MArgList.h).
#include <maya/MArgList.h>

#include <cstdio>
#include <string>

namespace {
MString floatText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return MString(buf);
}
}  // namespace

MStatus MArgList::get(unsigned int index, MString& out) const {
  if (index >= slots_.size()) return MStatus::kFailure;
  const Slot& s = slots_[index];
  switch (s.kind) {
    case Kind::kString:
      out = s.text;
      return MStatus::kSuccess;
    case Kind::kInt:
      out = MString(std::to_string(s.number));
      return MStatus::kSuccess;
    case Kind::kFloat:
      out = floatText(s.real);
      return MStatus::kSuccess;
    case Kind::kStringArray:
      return MStatus::kFailure;
  }
  return MStatus::kFailure;
}

MStatus MArgList::get(unsigned int index, int& out) const {
  if (index >= slots_.size()) return MStatus::kFailure;
  const Slot& s = slots_[index];
  switch (s.kind) {
    case Kind::kString:
      if (!s.text.isInt()) return MStatus::kFailure;
      out = s.text.asInt();
      return MStatus::kSuccess;
    case Kind::kInt:
      out = static_cast<int>(s.number);
      return MStatus::kSuccess;
    case Kind::kFloat:
      if (!(s.real > -2147483649.0 && s.real < 2147483648.0)) return MStatus::kFailure;
      out = static_cast<int>(s.real);
      return MStatus::kSuccess;
    case Kind::kStringArray:
      return MStatus::kFailure;
  }
  return MStatus::kFailure;
}

MStatus MArgList::get(unsigned int index, double& out) const {
  if (index >= slots_.size()) return MStatus::kFailure;
  const Slot& s = slots_[index];
  switch (s.kind) {
    case Kind::kString: {
      int v = 0;
      if (get(index, v) != MStatus::kSuccess) return MStatus::kFailure;
      out = v;
      return MStatus::kSuccess;
    }
    case Kind::kInt:
      out = static_cast<double>(s.number);
      return MStatus::kSuccess;
    case Kind::kFloat:
      out = s.real;
      return MStatus::kSuccess;
    case Kind::kStringArray:
      return MStatus::kFailure;
  }
  return MStatus::kFailure;
}

MStatus MArgList::get(unsigned int& index, MStringArray& out) const {
  if (index >= slots_.size()) return MStatus::kFailure;
  const Slot& s = slots_[index];
  if (s.kind != Kind::kStringArray) return MStatus::kFailure;
  out = s.array;
  return MStatus::kSuccess;
}

MString MArgList::asString(unsigned int index, MStatus* status) const {
  MString out;
  MStatus st = get(index, out);
  if (status) *status = st;
  return st == MStatus::kSuccess ? out : MString();
}

int MArgList::asInt(unsigned int index, MStatus* status) const {
  int out = 0;
  MStatus st = get(index, out);
  if (status) *status = st;
  return st == MStatus::kSuccess ? out : 0;
}

void MArgList::addString(const MString& s) {
  Slot slot{Kind::kString, s, 0, 0, {}};
  slots_.push_back(slot);
}
void MArgList::addInt(int v) {
  Slot slot{Kind::kInt, MString(), v, 0, {}};
  slots_.push_back(slot);
}
void MArgList::addFloat(double v) {
  Slot slot{Kind::kFloat, MString(), 0, v, {}};
  slots_.push_back(slot);
}
void MArgList::addStringArray(const MStringArray& a) {
  Slot slot{Kind::kStringArray, MString(), 0, 0, a};
  slots_.push_back(slot);
}
