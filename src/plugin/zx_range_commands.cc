// The frame range commands. Not built yet.
#include "plugin/zx_range_commands.h"

#include <new>

#include "plugin/zx_not_available.h"

void* zxRangesplit::creator() { return new (std::nothrow) zxRangesplit; }
MStatus zxRangesplit::doIt(const MArgList&) { return notAvailableYet("zxrangesplit"); }

void* zxRangechunk::creator() { return new (std::nothrow) zxRangechunk; }
MStatus zxRangechunk::doIt(const MArgList&) { return notAvailableYet("zxrangechunk"); }

void* zxGenframes::creator() { return new (std::nothrow) zxGenframes; }
MStatus zxGenframes::doIt(const MArgList&) { return notAvailableYet("zxgenframes"); }

void* zxGenchunks::creator() { return new (std::nothrow) zxGenchunks; }
MStatus zxGenchunks::doIt(const MArgList&) { return notAvailableYet("zxgenchunks"); }

