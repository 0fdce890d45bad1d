// ZxBase: root of the library's polymorphic classes. Every class answers its
// fixed class number through typeId(); the class registry of the message
// layer recreates objects from those numbers.
#pragma once

class ZxBase {
 public:
  virtual ~ZxBase() = default;
  virtual int typeId() const = 0;
};
