// MFnPlugin: the function set a plug-in uses at load and unload to register
// and deregister its commands. Also declares the creator function types.
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
#pragma once

#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

class MPxCommand;

using MCreatorFunction = void* (*)();
using MCreateSyntaxFunction = void* (*)();

class MFnPlugin {
 public:
  MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
            const char* requiredApiVersion = "Any", MStatus* status = nullptr);

  MStatus registerCommand(const MString& commandName, MCreatorFunction creator,
                          MCreateSyntaxFunction syntaxCreator = nullptr);
  MStatus deregisterCommand(const MString& commandName);

  MString vendor() const { return vendor_; }
  MString version() const { return version_; }
  MString apiVersion() const { return api_; }

 private:
  MObject object_;
  MString vendor_;
  MString version_;
  MString api_;
};
