// The local setup commands. Not built yet.
#include "plugin/zx_jobtype_commands.h"

#include <new>

#include "plugin/zx_not_available.h"

void* zxJobconfig::creator() { return new (std::nothrow) zxJobconfig; }
MStatus zxJobconfig::doIt(const MArgList&) { return notAvailableYet("zxjobconfig"); }

void* zxJobtypeavailable::creator() { return new (std::nothrow) zxJobtypeavailable; }
MStatus zxJobtypeavailable::doIt(const MArgList&) { return notAvailableYet("zxjobtypeavailable"); }

void* zxJobflagint::creator() { return new (std::nothrow) zxJobflagint; }
MStatus zxJobflagint::doIt(const MArgList&) { return notAvailableYet("zxjobflagint"); }

