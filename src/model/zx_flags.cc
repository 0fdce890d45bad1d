// The name tables of every flag set and enumeration, in text order.
#include "model/zx_flags.h"

#define ZX_TABLE_SIZE(rows) static_cast<int>(sizeof(rows) / sizeof((rows)[0]))

#define ZX_DEFINE_FLAG_TABLE(ns)                                       \
  const ZxFlagTable& ns::table() {                                     \
    static constexpr ZxFlagTable t(ns##Rows, ZX_TABLE_SIZE(ns##Rows)); \
    return t;                                                          \
  }

#define ZX_DEFINE_ENUM_TABLE(ns, unknownName, unknownValue)                                       \
  const ZxEnumTable& ns::table() {                                                                \
    static constexpr ZxEnumTable t(ns##Rows, ZX_TABLE_SIZE(ns##Rows), unknownName, unknownValue); \
    return t;                                                                                     \
  }

namespace {

constexpr ZxNamedValue LogCategoryRows[] = {
    {"startup", 0x1, true},      {"work", 0x2, true},      {"subjob", 0x4, true},
    {"job", 0x8, true},          {"host", 0x10, true},     {"log", 0x20, true},
    {"admin", 0x40, true},       {"command", 0x80, true},  {"query", 0x100, true},
    {"sync", 0x200, true},       {"queue", 0x400, true},   {"callback", 0x800, true},
    {"debug", 0x1000, true},     {"error", 0x2000, true},  {"warning", 0x4000, true},
    {"security", 0x8000, true},  {"auth", 0x10000, true},  {"preempt", 0x20000, true},
    {"memory", 0x40000, true},   {"web", 0x80000, true},   {"info", 0x100000, true},
    {"license", 0x200000, true}, {"file", 0x400000, true},
};

constexpr ZxNamedValue SupervisorStateRows[] = {
    {"reject_submit", 0x1, true},
    {"stop_activity", 0x2, true},
    {"enforce_password", 0x4, true},
};

constexpr ZxNamedValue WorkerFlagRows[] = {
    {"dynamic", 0x2, true},     {"dedicated", 0x1, true},       {"auto_mount", 0x4, true},
    {"remove_logs", 0x8, true}, {"load_profile", 0x10, true},   {"rotate_logs", 0x40, true},
    {"ssl", 0x20, true},        {"enable_winbind", 0x80, true}, {"disable_quickboot", 0x100, true},
};

constexpr ZxNamedValue SupervisorFlagRows[] = {
    {"enforce_password", 0x1, true},
    {"host_recontact", 0x2, true},
    {"heartbeat_monitor", 0x4, true},
    {"running_monitor", 0x800, true},
    {"clone_logs", 0x8, true},
    {"remove_logs", 0x10, true},
    {"master", 0x20, true},
    {"ssl", 0x40, true},
    {"multicast", 0x80, true},
    {"schedule", 0x100, true},
    {"stub_optimize", 0x400, true},
    {"rotate_logs", 0x200, true},
    {"retry_busy", 0x1000, true},
    {"ignore_duplicate_peer", 0x2000, true},
    {"enable_max_connections", 0x4000, true},
    {"enable_prediction", 0x8000, true},
    {"disable_submit_check", 0x10000, true},
    {"archive_jobs", 0x20000, true},
};

constexpr ZxNamedValue CallbackLanguageFlagRows[] = {
    {"zexa", 0x1, true}, {"perl", 0x2, true},  {"python", 0x4, true},
    {"post", 0x8, true}, {"mail", 0x10, true}, {"dependency", 0x20, true},
};

constexpr ZxNamedValue KindFlagRows[] = {
    {"job", 0x1, true},   {"subjob", 0x2, true}, {"work", 0x4, true},  {"callback", 0x8, true},
    {"user", 0x10, true}, {"admin", 0x20, true}, {"mail", 0x40, true},
};

constexpr ZxNamedValue JobPartFlagRows[] = {
    {"job", 0x1, true},
    {"subjob", 0x2, true},
    {"work", 0x4, true},
};

constexpr ZxNamedValue ClientFlagRows[] = {
    {"ssl", 0x40, true},
    {"restrict_domain", 0x80, true},
};

constexpr ZxNamedValue LazyFlagRows[] = {
    {"lazy", 0x1, true},
    {"log_times", 0x2, true},
};

constexpr ZxNamedValue JobFlagRows[] = {
    {"uninterruptible", 0x1, true},
    {"memory_hard_limit", 0x2, true},
    {"grid", 0x4, true},
    {"thrifty", 0x40, true},
    {"expand", 0x20, true},
    {"auto_mount", 0x8, true},
    {"export_environment", 0x10, true},
    {"host_list", 0x100, true},
    {"elite", 0x200, true},
    {"mail", 0x400, true},
    {"disable_windows_job_object", 0x800, true},
    {"disable_cpu_limit", 0x1000, true},
    {"disable_auto_complete", 0x2000, true},
    {"uninterruptable", 0x1, false},  // old spelling, still read
};

constexpr ZxNamedValue PermissionRows[] = {
    {"submit_job", 0x1, true},
    {"submit_callback", 0x2, true},
    {"submit_global_callback", 0x4, true},
    {"bump", 0x8, true},
    {"kill", 0x10, true},
    {"remove", 0x20, true},
    {"modify", 0x40, true},
    {"preempt", 0x80, true},
    {"block", 0x100, true},
    {"interrupt", 0x200, true},
    {"complete", 0x400, true},
    {"unblock", 0x800, true},
    {"suspend", 0x1000, true},
    {"resume", 0x2000, true},
    {"retry", 0x4000, true},
    {"reset", 0x100000, true},
    {"requeue", 0x8000, true},
    {"migrate", 0x10000, true},
    {"shove", 0x20000, true},
    {"fail", 0x40000, true},
    {"retire", 0x80000, true},
    {"lock_host", 0x8000000, true},
    {"sudo_admin", 0x10000000, true},
    {"impersonate", 0x20000000, true},
    {"admin", 0x40000000, true},
};

constexpr ZxNamedValue StatusCodeRows[] = {
    {"none", 0, true},        {"saved", 5, true},     {"complete", 16, true}, {"warning", 21, true},
    {"failed", 32, true},     {"killed", 48, true},   {"blocked", 272, true}, {"paused", 293, true},
    {"suspended", 304, true}, {"pending", 320, true}, {"waiting", 323, true}, {"badlogin", 325, true},
    {"running", 336, true},
};

constexpr ZxNamedValue CallbackLanguageRows[] = {
    {"perl", 1, true},    {"python", 2, true}, {"tcl", 3, true},  {"zexa", 4, true},
    {"unknown", 5, true}, {"post", 6, true},   {"mail", 7, true}, {"dependency", 8, true},
};

constexpr ZxNamedValue EventCategoryRows[] = {
    {"job", 0, true},      {"subjob", 1, true},       {"work", 2, true},           {"unknown", 4, true},
    {"variable", 5, true}, {"client", 6, true},       {"time", 8, true},           {"repeat", 16, true},
    {"global", 128, true}, {"globaltime", 136, true}, {"globalrepeat", 152, true},
};

constexpr ZxNamedValue ResourceKindRows[] = {
    {"unlimited", 1, true}, {"host", 2, true},    {"global", 3, true},
    {"scoped", 4, true},    {"license", 5, true}, {"scopedlicense", 6, true},
};

constexpr ZxNamedValue VariableScopeRows[] = {
    {"job", 1, true},
    {"global", 2, true},
    {"host", 0x100, true},
    {"scoped", 0x101, true},
};

}  // namespace

ZX_DEFINE_FLAG_TABLE(LogCategory)
ZX_DEFINE_FLAG_TABLE(SupervisorState)
ZX_DEFINE_FLAG_TABLE(WorkerFlag)
ZX_DEFINE_FLAG_TABLE(SupervisorFlag)
ZX_DEFINE_FLAG_TABLE(CallbackLanguageFlag)
ZX_DEFINE_FLAG_TABLE(KindFlag)
ZX_DEFINE_FLAG_TABLE(JobPartFlag)
ZX_DEFINE_FLAG_TABLE(ClientFlag)
ZX_DEFINE_FLAG_TABLE(LazyFlag)
ZX_DEFINE_FLAG_TABLE(JobFlag)
ZX_DEFINE_FLAG_TABLE(Permission)

ZX_DEFINE_ENUM_TABLE(StatusCode, "none", 0)
ZX_DEFINE_ENUM_TABLE(CallbackLanguage, "unknown", 5)
ZX_DEFINE_ENUM_TABLE(EventCategory, "unknown", 4)
ZX_DEFINE_ENUM_TABLE(ResourceKind, "unknown", 0)
ZX_DEFINE_ENUM_TABLE(VariableScope, "unknown", 0)
