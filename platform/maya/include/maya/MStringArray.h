// MStringArray: an ordered array of MString, Maya's string[] value.
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
#pragma once

#include <maya/MStatus.h>
#include <maya/MString.h>

#include <vector>

class MStringArray {
 public:
  MStringArray() = default;
  MStringArray(const std::vector<MString>& items) : items_(items) {}  // NOLINT

  unsigned int length() const { return static_cast<unsigned int>(items_.size()); }
  MStatus append(const MString& s) {
    items_.push_back(s);
    return MStatus::kSuccess;
  }
  MStatus setLength(unsigned int n) {
    items_.resize(n);
    return MStatus::kSuccess;
  }
  MStatus clear() {
    items_.clear();
    return MStatus::kSuccess;
  }
  MStatus remove(unsigned int i) {
    if (i >= items_.size()) return MStatus::kFailure;
    items_.erase(items_.begin() + i);
    return MStatus::kSuccess;
  }
  // Index past the end: the array grows, as Maya's operator[] on a writable array does.
  MString& operator[](unsigned int i) {
    if (i >= items_.size()) items_.resize(i + 1);
    return items_[i];
  }
  // Index past the end of a const array: an empty string.
  const MString& operator[](unsigned int i) const {
    static const MString kEmpty;
    return i < items_.size() ? items_[i] : kEmpty;
  }

  const std::vector<MString>& items() const { return items_; }

 private:
  std::vector<MString> items_;
};
