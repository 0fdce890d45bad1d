// The plug-in's 25 MEL commands in registration order, each with its creator.
#pragma once

#include <maya/MFnPlugin.h>

struct ZxCommandEntry {
  const char* melName;
  MCreatorFunction creator;
};

// The table and its length (25).
const ZxCommandEntry* zxCommandTable();
int zxCommandCount();
