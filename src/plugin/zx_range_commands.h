// The frame range commands: zxrangesplit, zxrangechunk, zxgenframes, zxgenchunks.
#pragma once

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>

class zxRangesplit : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxRangechunk : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxGenframes : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxGenchunks : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

