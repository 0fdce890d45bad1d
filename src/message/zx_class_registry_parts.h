// Constructors of the class registry that live in their own translation
// unit: the job records' field-table header and the request records'
// field record both declare a ZxField, so the two families cannot be
// included together.
#pragma once

class ZxPack;

namespace zxregistry {
ZxPack* makeJob(int);
ZxPack* makeSubjob(int);
ZxPack* makeJobList(int);
ZxPack* makeResourceList(int);
ZxPack* makeWork(int);
ZxPack* makeWorkList(int);
ZxPack* makeReservationList(int);
ZxPack* makeStatusTally(int);
ZxPack* makeResourceHash(int);
ZxPack* makeVariable(int);
ZxPack* makeVariableList(int);
ZxPack* makeMacAddress(int);
}  // namespace zxregistry
