// Small packable records shared by the encoding tests.
#pragma once

#include <string>
#include <vector>

#include "serial/zx_pack.h"

namespace zxtest {

// One field of each value kind.
class Sample : public ZxPack {
 public:
  int number = 0;
  char letter = 0;
  ZxString name;
  bool flag = false;

  int typeId() const override { return 1000; }
  const char* typeName() const override { return "sample"; }
  void encodeFields() override {
    putInt(1, number);
    putChar(2, letter);
    putString(3, name);
    putBool(4, flag);
  }
  void decodeField() override {
    getInt(1, number);
    getChar(2, letter);
    getString(3, name);
    getBool(4, flag);
  }
  void encodeTextFields() override {
    putTextInt("number", number);
    putTextChar("letter", letter);
    putTextString("name", name);
    putTextBool("flag", flag);
  }
  void decodeTextFields() override {
    getTextInt("number", number);
    getTextChar("letter", letter);
    getTextString("name", name);
    getTextBool("flag", flag);
  }
};

// A nested object between two scalar fields.
class Outer : public ZxPack {
 public:
  int head = 0;
  Sample inner;
  ZxString tail;

  int typeId() const override { return 1001; }
  const char* typeName() const override { return "outer"; }
  void encodeFields() override {
    putInt(1, head);
    putObject(2, inner);
    putString(3, tail);
  }
  void decodeField() override {
    getInt(1, head);
    getObject(2, inner);
    getString(3, tail);
  }
  void encodeTextFields() override {
    putTextInt("head", head);
    putTextObject("inner", inner);
    putTextString("tail", tail);
  }
  void decodeTextFields() override {
    getTextInt("head", head);
    getTextObject("inner", inner);
    getTextString("tail", tail);
  }
};

// A chain of nodes of any depth: value (field 1), child (field 2), after (3).
class Node : public ZxPack {
 public:
  int value = 0;
  Node* child = nullptr;
  int after = 0;

  Node() = default;
  Node(const Node&) = delete;
  ~Node() override { delete child; }
  // Nodes below this one that were read (a value of 1); a child created
  // for an object that was then dropped stays at 0.
  int depth() const {
    int d = 0;
    for (const Node* n = child; n && n->value == 1; n = n->child) ++d;
    return d;
  }

  int typeId() const override { return 1002; }
  const char* typeName() const override { return "node"; }
  void encodeFields() override {
    putInt(1, value);
    if (child) putObject(2, *child);
    putInt(3, after);
  }
  void decodeField() override {
    getInt(1, value);
    if (fieldId() == 2 && fieldType() == kTypeObject) {
      if (!child) child = new Node;
      getObject(2, *child);
    }
    getInt(3, after);
  }
  void encodeTextFields() override {
    putTextInt("value", value);
    if (child) putTextObject("child", *child);
    putTextInt("after", after);
  }
  void decodeTextFields() override {
    getTextInt("value", value);
    if (textNode() && hasTextName("child")) {
      if (!child) child = new Node;
      getTextObject("child", *child);
    }
    getTextInt("after", after);
  }
};

using Bytes = std::vector<unsigned char>;

inline Bytes bytesOf(const ZxPack& p) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(p.buffer());
  return Bytes(b, b + p.used());
}

// Bytes from a list of numbers 0..255, for golden data written by hand.
inline Bytes hex(std::initializer_list<int> v) {
  Bytes out;
  for (int b : v) out.push_back(static_cast<unsigned char>(b));
  return out;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline const Bytes kVersionWord = {0, 0, 0, 1};

// The text form wrapped in one root element, as the text file reader does.
inline std::string wrapped(const char* text) { return std::string("<pack>\n") + text + "\n</pack>"; }

}  // namespace zxtest
