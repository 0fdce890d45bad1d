// The package string commands. Not built yet.
#include "plugin/zx_package_commands.h"

#include <new>

#include "plugin/zx_not_available.h"

void* zxPackageString::creator() { return new (std::nothrow) zxPackageString; }
MStatus zxPackageString::doIt(const MArgList&) { return notAvailableYet("zxpack"); }

void* zxUnPackageString::creator() { return new (std::nothrow) zxUnPackageString; }
MStatus zxUnPackageString::doIt(const MArgList&) { return notAvailableYet("zxunpack"); }

