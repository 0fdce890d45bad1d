// The local setup commands: zxjobconfig, zxjobtypeavailable, zxjobflagint.
#pragma once

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>

class zxJobconfig : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxJobtypeavailable : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxJobflagint : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

