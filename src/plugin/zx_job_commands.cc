// The commands that move whole jobs. Not built yet.
#include "plugin/zx_job_commands.h"

#include <new>

#include "plugin/zx_not_available.h"

void* zxJobinfo::creator() { return new (std::nothrow) zxJobinfo; }
MStatus zxJobinfo::doIt(const MArgList&) { return notAvailableYet("zxjobinfo"); }

void* zxSubmit::creator() { return new (std::nothrow) zxSubmit; }
MStatus zxSubmit::doIt(const MArgList&) { return notAvailableYet("zxsubmit"); }

void* zxArchivejob::creator() { return new (std::nothrow) zxArchivejob; }
MStatus zxArchivejob::doIt(const MArgList&) { return notAvailableYet("zxarchivejob"); }

