// zxversion: answers the client library version text.
#pragma once

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>

class zxVersion : public MPxCommand {
 public:
  static void* creator();
  MStatus doIt(const MArgList& args) override;
};

