// The twelve job control commands. Not built yet: each answers that it is
// not available.
#include "plugin/zx_job_control_commands.h"

#include <new>

#include "plugin/zx_not_available.h"

void* zxRemove::creator() { return new (std::nothrow) zxRemove; }
MStatus zxRemove::doIt(const MArgList&) { return notAvailableYet("zxremove"); }

void* zxModify::creator() { return new (std::nothrow) zxModify; }
MStatus zxModify::doIt(const MArgList&) { return notAvailableYet("zxmodify"); }

void* zxKill::creator() { return new (std::nothrow) zxKill; }
MStatus zxKill::doIt(const MArgList&) { return notAvailableYet("zxkill"); }

void* zxRetire::creator() { return new (std::nothrow) zxRetire; }
MStatus zxRetire::doIt(const MArgList&) { return notAvailableYet("zxretire"); }

void* zxInterrupt::creator() { return new (std::nothrow) zxInterrupt; }
MStatus zxInterrupt::doIt(const MArgList&) { return notAvailableYet("zxinterrupt"); }

void* zxPreempt::creator() { return new (std::nothrow) zxPreempt; }
MStatus zxPreempt::doIt(const MArgList&) { return notAvailableYet("zxpreempt"); }

void* zxBlock::creator() { return new (std::nothrow) zxBlock; }
MStatus zxBlock::doIt(const MArgList&) { return notAvailableYet("zxblock"); }

void* zxUnblock::creator() { return new (std::nothrow) zxUnblock; }
MStatus zxUnblock::doIt(const MArgList&) { return notAvailableYet("zxunblock"); }

void* zxSuspend::creator() { return new (std::nothrow) zxSuspend; }
MStatus zxSuspend::doIt(const MArgList&) { return notAvailableYet("zxsuspend"); }

void* zxResume::creator() { return new (std::nothrow) zxResume; }
MStatus zxResume::doIt(const MArgList&) { return notAvailableYet("zxresume"); }

void* zxRequeue::creator() { return new (std::nothrow) zxRequeue; }
MStatus zxRequeue::doIt(const MArgList&) { return notAvailableYet("zxrequeue"); }

void* zxRetry::creator() { return new (std::nothrow) zxRetry; }
MStatus zxRetry::doIt(const MArgList&) { return notAvailableYet("zxretry"); }

