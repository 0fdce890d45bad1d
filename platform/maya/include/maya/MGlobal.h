// MGlobal: Maya's global services the plug-in uses: running MEL and sourcing
// MEL files, and showing messages in the Script Editor.
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
#pragma once

#include <maya/MStatus.h>
#include <maya/MString.h>

class MGlobal {
 public:
  static MStatus sourceFile(const MString& path);
  static MStatus executeCommand(const MString& command, bool displayEnabled = false,
                                bool undoEnabled = false);
  static void displayError(const MString& message);
  static void displayWarning(const MString& message);
  static void displayInfo(const MString& message);
};
