// The class registry's constructors of the job records and their
// containers.
#include <new>

#include "model/zx_job.h"
#include "model/zx_mac_address.h"
#include "model/zx_reservation.h"
#include "model/zx_resource.h"
#include "model/zx_status_tally.h"
#include "model/zx_subjob.h"
#include "model/zx_variable.h"
#include "model/zx_work.h"
#include "message/zx_class_registry_parts.h"

namespace zxregistry {
ZxPack* makeJob(int) { return new (std::nothrow) ZxJob(); }
ZxPack* makeSubjob(int) { return new (std::nothrow) ZxSubjob(); }
ZxPack* makeJobList(int) { return new (std::nothrow) ZxJobList(); }
ZxPack* makeResourceList(int) { return new (std::nothrow) ZxResourceList(); }
ZxPack* makeWork(int) { return new (std::nothrow) ZxWork(); }
ZxPack* makeWorkList(int) { return new (std::nothrow) ZxWorkList(); }
ZxPack* makeReservationList(int) { return new (std::nothrow) ZxReservationList(); }
ZxPack* makeStatusTally(int) { return new (std::nothrow) ZxStatusTally(); }
ZxPack* makeResourceHash(int) { return new (std::nothrow) ZxResourceHash(); }
ZxPack* makeVariable(int) { return new (std::nothrow) ZxVariable(); }
ZxPack* makeVariableList(int) { return new (std::nothrow) ZxVariableList(); }
ZxPack* makeMacAddress(int) { return new (std::nothrow) ZxMacAddress(); }
}  // namespace zxregistry
