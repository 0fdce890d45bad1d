// ZxJob (class 1, "job"): one render job: what the supervisor schedules it
// by, what the user gave it, the parts it is made of (subjobs, agenda,
// callbacks, variables, child jobs) and the supervisor's bookkeeping
// (status, tallies, times). The same record is submitted and returned by
// queries. Also ZxJobList (class 5, "job_list"), the list that submission
// and queries exchange with the command layer.
//
// Both encoded forms write the fields in one fixed order (fields() below);
// nested records and lists travel as nested objects, child jobs as full
// jobs. Decoding replaces each field present and keeps the others; a list
// field appends what it reads, so decode into fresh records.
//
// Ownership: a job owns every field, nested record and list item by value;
// copies are deep (server_id included). A ZxJobList owns its jobs.
#pragma once

#include <tuple>

#include "model/zx_address.h"
#include "model/zx_callback.h"
#include "model/zx_env.h"
#include "model/zx_job_fields.h"
#include "model/zx_list.h"
#include "model/zx_path_map.h"
#include "model/zx_status.h"
#include "model/zx_status_tally.h"
#include "model/zx_subjob.h"
#include "model/zx_time.h"
#include "model/zx_variable.h"
#include "model/zx_work.h"
#include "util/zx_string.h"

class ZxJob;

class ZxJobList : public ZxList<ZxJob> {
 public:
  int typeId() const override { return 5; }
  const char* typeName() const override { return "job_list"; }
};

class ZxJob : public ZxRecord<ZxJob> {
 public:
  ZxJob() = default;
  ZxJob(const ZxJob&) = default;
  ZxJob& operator=(const ZxJob&) = default;
  ~ZxJob() override = default;

  int typeId() const override { return 1; }
  const char* typeName() const override { return "job"; }

  // One getter per field (nested records and lists by reference, to fill
  // in place); setters for scalars, strings and nested value records.
  int id() const { return id_; }
  void setId(int v) { id_ = v; }
  int pid() const { return pid_; }
  void setPid(int v) { pid_ = v; }
  int priority() const { return priority_; }
  void setPriority(int v) { priority_ = v; }
  int localOrder() const { return localOrder_; }
  void setLocalOrder(int v) { localOrder_ = v; }
  int globalOrder() const { return globalOrder_; }
  void setGlobalOrder(int v) { globalOrder_ = v; }
  int pgrp() const { return pgrp_; }
  void setPgrp(int v) { pgrp_ = v; }
  const ZxString& user() const { return user_; }
  void setUser(const ZxString& v) { user_ = v; }
  void setUser(const char* bytes, int n) { user_.assign(bytes, n); }
  const ZxString& domain() const { return domain_; }
  void setDomain(const ZxString& v) { domain_ = v; }
  void setDomain(const char* bytes, int n) { domain_.assign(bytes, n); }
  const ZxString& password() const { return password_; }
  void setPassword(const ZxString& v) { password_ = v; }
  void setPassword(const char* bytes, int n) { password_.assign(bytes, n); }
  const ZxStatus& status() const { return status_; }
  ZxStatus& status() { return status_; }
  void setStatus(const ZxStatus& v) { status_ = v; }
  const ZxSubjobList& subjobs() const { return subjobs_; }
  ZxSubjobList& subjobs() { return subjobs_; }
  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  void setName(const char* bytes, int n) { name_.assign(bytes, n); }
  int cpus() const { return cpus_; }
  int todo() const { return todo_; }
  void setTodo(int v) { todo_ = v; }
  const ZxString& cluster() const { return cluster_; }
  void setCluster(const ZxString& v) { cluster_ = v; }
  void setCluster(const char* bytes, int n) { cluster_.assign(bytes, n); }
  const ZxJobList& children() const { return children_; }
  ZxJobList& children() { return children_; }
  const ZxWorkList& agenda() const { return agenda_; }
  ZxWorkList& agenda() { return agenda_; }
  const ZxCallbackList& callbacks() const { return callbacks_; }
  ZxCallbackList& callbacks() { return callbacks_; }
  const ZxString& requirements() const { return requirements_; }
  void setRequirements(const ZxString& v) { requirements_ = v; }
  void setRequirements(const char* bytes, int n) { requirements_.assign(bytes, n); }
  const ZxString& reservations() const { return reservations_; }
  void setReservations(const ZxString& v) { reservations_ = v; }
  void setReservations(const char* bytes, int n) { reservations_.assign(bytes, n); }
  const ZxString& restrictions() const { return restrictions_; }
  void setRestrictions(const ZxString& v) { restrictions_ = v; }
  void setRestrictions(const char* bytes, int n) { restrictions_.assign(bytes, n); }
  const ZxString& groups() const { return groups_; }
  void setGroups(const ZxString& v) { groups_ = v; }
  void setGroups(const char* bytes, int n) { groups_.assign(bytes, n); }
  const ZxString& hosts() const { return hosts_; }
  void setHosts(const ZxString& v) { hosts_ = v; }
  void setHosts(const char* bytes, int n) { hosts_.assign(bytes, n); }
  const ZxString& hostOrder() const { return hostOrder_; }
  void setHostOrder(const ZxString& v) { hostOrder_ = v; }
  void setHostOrder(const char* bytes, int n) { hostOrder_.assign(bytes, n); }
  const ZxString& data() const { return data_; }
  void setData(const ZxString& v) { data_ = v; }
  void setData(const char* bytes, int n) { data_.assign(bytes, n); }
  const ZxString& queue() const { return queue_; }
  void setQueue(const ZxString& v) { queue_ = v; }
  void setQueue(const char* bytes, int n) { queue_.assign(bytes, n); }
  const ZxString& prototype() const { return prototype_; }
  void setPrototype(const ZxString& v) { prototype_ = v; }
  void setPrototype(const char* bytes, int n) { prototype_.assign(bytes, n); }
  const ZxString& path() const { return path_; }
  void setPath(const ZxString& v) { path_ = v; }
  void setPath(const char* bytes, int n) { path_.assign(bytes, n); }
  const ZxString& reason() const { return reason_; }
  void setReason(const ZxString& v) { reason_ = v; }
  void setReason(const char* bytes, int n) { reason_.assign(bytes, n); }
  const ZxString& logpath() const { return logpath_; }
  void setLogpath(const ZxString& v) { logpath_ = v; }
  void setLogpath(const char* bytes, int n) { logpath_.assign(bytes, n); }
  const ZxStatusTally& cpusTally() const { return cpusTally_; }
  ZxStatusTally& cpusTally() { return cpusTally_; }
  void setCpusTally(const ZxStatusTally& v) { cpusTally_ = v; }
  const ZxStatusTally& todoTally() const { return todoTally_; }
  ZxStatusTally& todoTally() { return todoTally_; }
  void setTodoTally(const ZxStatusTally& v) { todoTally_ = v; }
  const ZxTime& timeSubmit() const { return timeSubmit_; }
  ZxTime& timeSubmit() { return timeSubmit_; }
  void setTimeSubmit(const ZxTime& v) { timeSubmit_ = v; }
  const ZxTime& timeStart() const { return timeStart_; }
  ZxTime& timeStart() { return timeStart_; }
  void setTimeStart(const ZxTime& v) { timeStart_ = v; }
  const ZxTime& timeComplete() const { return timeComplete_; }
  ZxTime& timeComplete() { return timeComplete_; }
  void setTimeComplete(const ZxTime& v) { timeComplete_ = v; }
  int flags() const { return flags_; }
  void setFlags(int v) { flags_ = v; }
  const ZxString& label() const { return label_; }
  void setLabel(const ZxString& v) { label_ = v; }
  void setLabel(const char* bytes, int n) { label_.assign(bytes, n); }
  const ZxString& account() const { return account_; }
  void setAccount(const ZxString& v) { account_ = v; }
  void setAccount(const char* bytes, int n) { account_.assign(bytes, n); }
  const ZxEnv& env() const { return env_; }
  ZxEnv& env() { return env_; }
  void setEnv(const ZxEnv& v) { env_ = v; }
  const ZxString& kind() const { return kind_; }
  void setKind(const ZxString& v) { kind_ = v; }
  void setKind(const char* bytes, int n) { kind_.assign(bytes, n); }
  int serverId() const { return serverId_; }
  void setServerId(int v) { serverId_ = v; }
  const ZxTime& lastUpdate() const { return lastUpdate_; }
  ZxTime& lastUpdate() { return lastUpdate_; }
  void setLastUpdate(const ZxTime& v) { lastUpdate_ = v; }
  int timeout() const { return timeout_; }
  void setTimeout(int v) { timeout_ = v; }
  const ZxVariableList& variables() const { return variables_; }
  ZxVariableList& variables() { return variables_; }
  const ZxStatus& agendaStatus() const { return agendaStatus_; }
  ZxStatus& agendaStatus() { return agendaStatus_; }
  void setAgendaStatus(const ZxStatus& v) { agendaStatus_ = v; }
  const ZxStatus& subjobStatus() const { return subjobStatus_; }
  ZxStatus& subjobStatus() { return subjobStatus_; }
  void setSubjobStatus(const ZxStatus& v) { subjobStatus_ = v; }
  const ZxPathMap& pathMap() const { return pathMap_; }
  ZxPathMap& pathMap() { return pathMap_; }
  void setPathMap(const ZxPathMap& v) { pathMap_ = v; }
  int retrySubjob() const { return retrySubjob_; }
  void setRetrySubjob(int v) { retrySubjob_ = v; }
  int retryWork() const { return retryWork_; }
  void setRetryWork(int v) { retryWork_ = v; }
  const ZxString& omitHosts() const { return omitHosts_; }
  void setOmitHosts(const ZxString& v) { omitHosts_ = v; }
  void setOmitHosts(const char* bytes, int n) { omitHosts_.assign(bytes, n); }
  const ZxString& omitGroups() const { return omitGroups_; }
  void setOmitGroups(const ZxString& v) { omitGroups_ = v; }
  void setOmitGroups(const char* bytes, int n) { omitGroups_.assign(bytes, n); }
  const ZxString& dependency() const { return dependency_; }
  void setDependency(const ZxString& v) { dependency_ = v; }
  void setDependency(const char* bytes, int n) { dependency_.assign(bytes, n); }
  const ZxTime& deadline() const { return deadline_; }
  ZxTime& deadline() { return deadline_; }
  void setDeadline(const ZxTime& v) { deadline_ = v; }
  const ZxString& mailAddress() const { return mailAddress_; }
  void setMailAddress(const ZxString& v) { mailAddress_ = v; }
  void setMailAddress(const char* bytes, int n) { mailAddress_.assign(bytes, n); }
  const ZxString& notes() const { return notes_; }
  void setNotes(const ZxString& v) { notes_ = v; }
  void setNotes(const char* bytes, int n) { notes_.assign(bytes, n); }
  const ZxString& prototypePath() const { return prototypePath_; }
  void setPrototypePath(const ZxString& v) { prototypePath_ = v; }
  void setPrototypePath(const char* bytes, int n) { prototypePath_.assign(bytes, n); }
  const ZxAddress& sourceHost() const { return sourceHost_; }
  ZxAddress& sourceHost() { return sourceHost_; }
  void setSourceHost(const ZxAddress& v) { sourceHost_ = v; }
  int immediateCpus() const { return immediateCpus_; }
  void setImmediateCpus(int v) { immediateCpus_ = v; }
  const ZxStatus& maskStatus() const { return maskStatus_; }
  ZxStatus& maskStatus() { return maskStatus_; }
  void setMaskStatus(const ZxStatus& v) { maskStatus_ = v; }
  const ZxTime& eta() const { return eta_; }
  ZxTime& eta() { return eta_; }
  void setEta(const ZxTime& v) { eta_ = v; }

  // Stores n when n > 0, 1 otherwise.
  void setCpus(int n) { cpus_ = n > 0 ? n : 1; }

  // The JobFlag names of "flags" ("0" when none is set), and back (a
  // numeric text gives its number).
  ZxString flagsText() const { return JobFlag::toNames(flags_); }
  void setFlagsText(const ZxString& text) { flags_ = JobFlag::fromNames(text); }

  bool isPending() const { return status_.isPending(); }
  bool isWaiting() const { return status_.isWaiting(); }
  bool isNone() const { return status_.isNone(); }
  bool isAssigned() const { return status_.isAssigned(); }
  // Flag "elite" is set.
  bool isElite() const { return (flags_ & JobFlag::kElite) != 0; }
  // Flag "grid" is set and more than one instance is asked for.
  bool isMultiCpuGrid() const { return (flags_ & JobFlag::kGrid) != 0 && cpus_ > 1; }
  // The job number modulo n (0 for n of 0 or -1, which have no remainder).
  int idModulo(int n) const { return n == 0 || n == -1 ? 0 : id_ % n; }

  // Reads a job file in any of its forms: the binary file first; failing
  // that the text file, as a job list whose first job is taken, or else as
  // a single job. Returns the bytes read, 0 on failure.
  int readJobFile(const ZxString& path);

 private:
  friend class ZxRecord<ZxJob>;
  static constexpr auto fields() {
    using T = ZxJob;
    return std::make_tuple(
        zxField(1, "id", &T::id_), zxField(2, "pid", &T::pid_), zxField(4, "priority", &T::priority_),
        zxField(31, "local_order", &T::localOrder_), zxField(32, "global_order", &T::globalOrder_),
        zxField(3, "pgrp", &T::pgrp_), zxField(5, "user", &T::user_), zxField(38, "domain", &T::domain_),
        zxField(35, "password", &T::password_), zxField(6, "status", &T::status_),
        zxField(7, "subjobs", &T::subjobs_), zxField(8, "name", &T::name_), zxField(12, "cpus", &T::cpus_),
        zxField(20, "todo", &T::todo_), zxField(9, "cluster", &T::cluster_),
        zxField(10, "children", &T::children_), zxField(11, "agenda", &T::agenda_),
        zxField(13, "callbacks", &T::callbacks_), zxField(14, "requirements", &T::requirements_),
        zxField(30, "reservations", &T::reservations_), zxField(34, "restrictions", &T::restrictions_),
        zxField(36, "groups", &T::groups_), zxField(37, "hosts", &T::hosts_),
        zxField(41, "host_order", &T::hostOrder_), zxField(15, "data", &T::data_),
        zxField(33, "queue", &T::queue_), zxField(16, "prototype", &T::prototype_),
        zxField(17, "path", &T::path_), zxField(18, "reason", &T::reason_),
        zxField(19, "logpath", &T::logpath_), zxField(21, "cpus_tally", &T::cpusTally_),
        zxField(22, "todo_tally", &T::todoTally_), zxField(23, "time_submit", &T::timeSubmit_),
        zxField(39, "time_start", &T::timeStart_), zxField(24, "time_complete", &T::timeComplete_),
        zxField(26, "flags", &T::flags_), zxField(27, "label", &T::label_),
        zxField(28, "account", &T::account_), zxField(29, "env", &T::env_), zxField(40, "kind", &T::kind_),
        zxField(42, "server_id", &T::serverId_), zxField(43, "last_update", &T::lastUpdate_),
        zxField(44, "timeout", &T::timeout_), zxField(47, "variables", &T::variables_),
        zxField(48, "agenda_status", &T::agendaStatus_), zxField(49, "subjob_status", &T::subjobStatus_),
        zxField(50, "path_map", &T::pathMap_), zxField(51, "retry_subjob", &T::retrySubjob_),
        zxField(52, "retry_work", &T::retryWork_), zxField(53, "omit_hosts", &T::omitHosts_),
        zxField(60, "omit_groups", &T::omitGroups_), zxField(54, "dependency", &T::dependency_),
        zxField(55, "deadline", &T::deadline_), zxField(56, "mail_address", &T::mailAddress_),
        zxField(57, "notes", &T::notes_), zxField(58, "prototype_path", &T::prototypePath_),
        zxField(59, "source_host", &T::sourceHost_), zxField(61, "immediate_cpus", &T::immediateCpus_),
        zxField(62, "mask_status", &T::maskStatus_), zxField(63, "eta", &T::eta_));
  }

  int id_ = 1;
  int pid_ = -1;
  int priority_ = -1;
  int localOrder_ = 0;
  int globalOrder_ = 0;
  int pgrp_ = -1;
  ZxString user_;
  ZxString domain_;
  ZxString password_;
  ZxStatus status_;
  ZxSubjobList subjobs_;
  ZxString name_;
  int cpus_ = 1;
  int todo_ = 0;
  ZxString cluster_;
  ZxJobList children_;
  ZxWorkList agenda_;
  ZxCallbackList callbacks_;
  ZxString requirements_;
  ZxString reservations_;
  ZxString restrictions_;
  ZxString groups_;
  ZxString hosts_;
  ZxString hostOrder_;
  ZxString data_;
  ZxString queue_;
  ZxString prototype_;
  ZxString path_;
  ZxString reason_;
  ZxString logpath_;
  ZxStatusTally cpusTally_;
  ZxStatusTally todoTally_;
  ZxTime timeSubmit_;
  ZxTime timeStart_;
  ZxTime timeComplete_;
  int flags_ = 0;
  ZxString label_;
  ZxString account_;
  ZxEnv env_;
  ZxString kind_;
  // Nothing on the client side gives a job a server number; a fresh job
  // says 0 until a supervisor record fills it. Encoded like any field.
  int serverId_ = 0;
  ZxTime lastUpdate_;
  int timeout_ = -1;
  ZxVariableList variables_;
  ZxStatus agendaStatus_;
  ZxStatus subjobStatus_;
  ZxPathMap pathMap_;
  int retrySubjob_ = -1;
  int retryWork_ = -1;
  ZxString omitHosts_;
  ZxString omitGroups_;
  ZxString dependency_;
  ZxTime deadline_;
  ZxString mailAddress_;
  ZxString notes_;
  ZxString prototypePath_;
  ZxAddress sourceHost_;
  int immediateCpus_ = 0;
  ZxStatus maskStatus_;
  ZxTime eta_;
};
