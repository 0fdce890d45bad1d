// ZxBumpCommand: a command with a direction (class 69, "bump_command"):
// the nine command fields, then "diff" and "direction" (1 or 2).
//
// Owns what its ZxCommand part owns.
#pragma once

#include "model/zx_command.h"

class ZxBumpCommand : public ZxCommand {
 public:
  // Command defaults; diff and direction start at 0 (the bump operations
  // set the direction).
  ZxBumpCommand() = default;
  // The command fields of `command`; diff and direction 0.
  explicit ZxBumpCommand(const ZxCommand& command) : ZxCommand(command) {}
  ZxBumpCommand(const ZxBumpCommand&) = default;
  ZxBumpCommand& operator=(const ZxBumpCommand&) = default;
  ~ZxBumpCommand() override = default;

  int typeId() const override { return 69; }
  const char* typeName() const override { return "bump_command"; }

  int diff() const { return diff_; }
  void setDiff(int v) { diff_ = v; }
  int direction() const { return direction_; }
  void setDirection(int v) { direction_ = v; }

  void encodeFields() override {
    ZxCommand::encodeFields();
    putInt(10, diff_);
    putInt(11, direction_);
  }
  void decodeField() override {
    ZxCommand::decodeField();
    getInt(10, diff_);
    getInt(11, direction_);
  }
  void encodeTextFields() override {
    ZxCommand::encodeTextFields();
    putTextInt("diff", diff_);
    putTextInt("direction", direction_);
  }
  void decodeTextFields() override {
    ZxCommand::decodeTextFields();
    getTextInt("diff", diff_);
    getTextInt("direction", direction_);
  }

 private:
  int diff_ = 0;
  int direction_ = 0;
};
