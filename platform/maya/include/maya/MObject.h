// MObject: Maya's opaque handle; the plug-in receives one naming itself at load.
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
#pragma once

class MObject {
 public:
  MObject() = default;
  explicit MObject(void* handle) : handle_(handle) {}
  bool isNull() const { return handle_ == nullptr; }
  void* handle() const { return handle_; }

 private:
  void* handle_ = nullptr;
};
