// The bridge between the Maya API stand-in and the program that plays Maya's
// part (the MEL host, or a test). Not a Maya header: the plug-in never
// includes it. The host installs itself with setHost(); the stand-in's
// MFnPlugin, MGlobal and MPxCommand calls are forwarded to it.
#pragma once

#include <maya/MFnPlugin.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <string>
#include <vector>

namespace mayahost {

// The result of the command being run: nothing, a string, an integer, a
// float or a string array. appendToResult turns the result into an array.
struct CommandResult {
  enum class Kind { kNone, kString, kInt, kFloat, kStringArray };
  Kind kind = Kind::kNone;
  std::string text;
  long long number = 0;
  double real = 0;
  std::vector<std::string> array;

  void clear() { *this = CommandResult(); }
};

class Host {
 public:
  virtual ~Host() = default;
  // Registration of a plug-in command under its MEL name.
  virtual MStatus registerCommand(const MString& name, MCreatorFunction creator) = 0;
  virtual MStatus deregisterCommand(const MString& name) = 0;
  // Running MEL on behalf of the plug-in.
  virtual MStatus sourceFile(const MString& path) = 0;
  virtual MStatus executeCommand(const MString& command, bool display, bool undo) = 0;
  // Messages shown to the user.
  virtual void displayError(const MString& message) = 0;
  virtual void displayWarning(const MString& message) = 0;
  virtual void displayInfo(const MString& message) = 0;
};

// Installs the host (null removes it). Without a host, registration fails,
// MEL calls fail and messages go to standard error.
void setHost(Host* host);
Host* host();

// The result slot of the command being run. The host clears it before doIt
// and reads it afterwards.
CommandResult& currentResult();

}  // namespace mayahost
