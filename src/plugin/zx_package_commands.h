// The package string commands: zxpack and zxunpack.
#pragma once

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>

class zxPackageString : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxUnPackageString : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};
