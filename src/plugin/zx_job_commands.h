// The commands that move whole jobs: zxjobinfo, zxsubmit and zxarchivejob.
#pragma once

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>

class zxJobinfo : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxSubmit : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

class zxArchivejob : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

