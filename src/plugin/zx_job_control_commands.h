// The twelve job control commands: zxremove, zxmodify, zxkill, zxretire,
// zxinterrupt, zxpreempt, zxblock, zxunblock, zxsuspend, zxresume,
// zxrequeue and zxretry.
#pragma once

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>

class zxRemove : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxModify : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxKill : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxRetire : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxInterrupt : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxPreempt : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxBlock : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxUnblock : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxSuspend : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxResume : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxRequeue : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxRetry : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

