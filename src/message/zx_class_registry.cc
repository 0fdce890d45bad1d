// The class registry: one table from class number to constructor.
#include "message/zx_class_registry.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "model/zx_err.h"
#include "model/zx_error_record.h"
#include "model/zx_bump_command.h"
#include "model/zx_callback.h"
#include "model/zx_callback_id.h"
#include "model/zx_command.h"
#include "model/zx_domain.h"
#include "model/zx_modify_command.h"
#include "model/zx_event.h"
#include "model/zx_filter.h"
#include "model/zx_flags.h"
#include "model/zx_host_name.h"
#include "model/zx_job_id.h"
#include "model/zx_job_id_list.h"
#include "model/zx_modify_command.h"
#include "model/zx_query.h"
#include "model/zx_result.h"
#include "model/zx_server_records.h"
#include "model/zx_string_hash.h"
#include "model/zx_time.h"
#include "model/zx_work_id.h"
#include "message/zx_class_registry_parts.h"
#include "util/zx_log.h"
#include "model/zx_string_list.h"
#include "util/zx_out_of_memory.h"

namespace {
using Factory = ZxPack* (*)(int classNumber);

template <class T>
ZxPack* make(int) {
  return zxNew<T>();
}
ZxPack* makeServerRecord(int classNumber) { return ZxServerRecord::create(classNumber); }

struct Entry {
  int number;
  Factory factory;
};

// Sorted by class number.
constexpr Entry kEntries[] = {
    {1, zxregistry::makeJob},
    {4, zxregistry::makeSubjob},
    {5, zxregistry::makeJobList},
    {9, makeServerRecord},  // host
    {11, zxregistry::makeResourceList},
    {12, makeServerRecord},  // host_list
    {14, zxregistry::makeWork},
    {15, zxregistry::makeWorkList},
    {16, make<ZxEvent>},
    {17, make<ZxEventList>},
    {18, make<ZxJobIdList>},
    {19, make<ZxJobId>},
    {21, make<ZxFilterList>},
    {24, make<ZxQuery>},
    {25, makeServerRecord},  // assignment
    {26, makeServerRecord},  // assignment_list
    {28, zxregistry::makeReservationList},
    {30, make<ZxCommand>},
    {32, zxregistry::makeStatusTally},
    {33, make<ZxTime>},
    {34, makeServerRecord},  // history
    {35, makeServerRecord},  // history_list
    {36, makeServerRecord},  // log
    {37, makeServerRecord},  // log_list
    {38, makeServerRecord},  // data_table
    {39, makeServerRecord},  // data_table_list
    {43, makeServerRecord},  // report
    {45, makeServerRecord},  // duty_list
    {47, make<ZxCallbackList>},
    {48, make<ZxModifyCommand>},
    {50, makeServerRecord},  // config
    {51, makeServerRecord},  // config_list
    {52, make<ZxErrorRecord>},
    {54, makeServerRecord},  // option_list
    {55, make<ZxStringList>},
    {56, make<ZxStringHash>},
    {59, make<ZxWorkId>},
    {60, make<ZxWorkIdList>},
    {62, make<ZxDomain>},
    {63, make<ZxHostName>},
    {64, make<ZxHostNameList>},
    {67, zxregistry::makeResourceHash},
    {69, make<ZxBumpCommand>},
    {91, makeServerRecord},   // property_list
    {92, makeServerRecord},   // property_hash
    {93, makeServerRecord},   // request
    {94, makeServerRecord},   // request_list
    {95, makeServerRecord},   // access
    {96, makeServerRecord},   // access_list
    {105, makeServerRecord},  // file
    {119, makeServerRecord},  // file_list
    {120, zxregistry::makeVariable},
    {121, zxregistry::makeVariableList},
    {130, makeServerRecord},  // variable_id
    {132, makeServerRecord},  // operation_id_list
    {133, makeServerRecord},  // post
    {134, makeServerRecord},  // post_list
    {152, makeServerRecord},  // subscription
    {153, makeServerRecord},  // subscription_list
    {155, zxregistry::makeMacAddress},
    {169, makeServerRecord},  // order
    {170, makeServerRecord},  // intro
    {171, makeServerRecord},  // sync
    {172, makeServerRecord},  // supe
    {173, makeServerRecord},  // supe_list
    {175, make<ZxErr>},
    {176, make<ZxIntHash>},
    {181, makeServerRecord},  // host_stats
    {188, make<ZxResult>},
    {189, makeServerRecord},  // admin_order
    {190, makeServerRecord},  // admin_result
    {197, make<ZxCallbackId>},
    {198, make<ZxCallbackIdList>},
};

const Entry* find(int classNumber) {
  const Entry* end = std::end(kEntries);
  const Entry* e = std::lower_bound(std::begin(kEntries), end, classNumber,
                                    [](const Entry& a, int n) { return a.number < n; });
  return (e != end && e->number == classNumber) ? e : nullptr;
}
}  // namespace

ZxPack* createObject(int classNumber) {
  if (const Entry* e = find(classNumber)) return e->factory(classNumber);
  ZxLogLine(ZxLog::log(), LogCategory::kError, "") << "trying to decode unregistered class: " << classNumber;
  return nullptr;
}

bool isRegisteredClass(int classNumber) { return find(classNumber) != nullptr; }

std::vector<int> registeredClassNumbers() {
  std::vector<int> numbers;
  for (const Entry& e : kEntries) numbers.push_back(e.number);
  return numbers;
}
