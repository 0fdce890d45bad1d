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
#include "util/zx_out_of_memory.h"

namespace zxregistry {
ZxPack* makeJob(int) { return zxNew<ZxJob>(); }
ZxPack* makeSubjob(int) { return zxNew<ZxSubjob>(); }
ZxPack* makeJobList(int) { return zxNew<ZxJobList>(); }
ZxPack* makeResourceList(int) { return zxNew<ZxResourceList>(); }
ZxPack* makeWork(int) { return zxNew<ZxWork>(); }
ZxPack* makeWorkList(int) { return zxNew<ZxWorkList>(); }
ZxPack* makeReservationList(int) { return zxNew<ZxReservationList>(); }
ZxPack* makeStatusTally(int) { return zxNew<ZxStatusTally>(); }
ZxPack* makeResourceHash(int) { return zxNew<ZxResourceHash>(); }
ZxPack* makeVariable(int) { return zxNew<ZxVariable>(); }
ZxPack* makeVariableList(int) { return zxNew<ZxVariableList>(); }
ZxPack* makeMacAddress(int) { return zxNew<ZxMacAddress>(); }
}  // namespace zxregistry
