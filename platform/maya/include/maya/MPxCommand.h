// MPxCommand: base class of a plug-in's MEL commands.
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
//
// The result and error calls are static, as in Maya: they act on the result
// of the command the host is running now. The host (see mayahost/host.h)
// clears that result before each doIt and reads it afterwards.
#pragma once

#include <maya/MArgList.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

class MPxCommand {
 public:
  MPxCommand() = default;
  virtual ~MPxCommand();

  virtual MStatus doIt(const MArgList& args);
  virtual MStatus undoIt();
  virtual MStatus redoIt();
  virtual bool isUndoable() const;
  virtual bool hasSyntax() const;

  static void clearResult();
  static void setResult(const MString& value);
  static void setResult(const char* value);
  static void setResult(int value);
  static void setResult(bool value);
  static void setResult(double value);
  static void setResult(const MStringArray& value);
  static void appendToResult(const MString& value);
  static void appendToResult(const char* value);
  static void appendToResult(const MStringArray& value);
  static void displayError(const MString& message);
  static void displayWarning(const MString& message);
  static void displayInfo(const MString& message);
};
