// ZxConfig: reading the settings in their fixed order, and printing them.
#include "config/zx_config.h"

#include "config/zx_paths.h"
#include "model/zx_flags.h"
#include "os/zx_os_host.h"
#include "os/zx_os_user.h"
#include "util/zx_log.h"

namespace {

// The file's value, or `fallback` when the key is missing or empty.
ZxString textOr(const ZxConfigFile& file, const char* key, const ZxString& fallback) {
  const ZxString& value = file.get(key);
  return value.isEmpty() ? fallback : value;
}

// A port or time-out: a value that converts to 0 (missing, empty, not a
// number, or "0") takes the default.
int numberOr(const ZxConfigFile& file, const char* key, int id) {
  int value = file.get(key).toInt();
  return value == 0 ? defaultInt(id) : value;
}

bool separatesNames(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

}  // namespace

ZxConfig::ZxConfig() {
  ZxEnvSnapshot env;
  read(env, defaultString(ZxSetting::kConfigFile));
}

ZxConfig::ZxConfig(const ZxEnvSnapshot& env, const ZxString& path) { read(env, path); }

ZxConfig::~ZxConfig() = default;

void ZxConfig::splitSupervisors(const ZxString& text, ZxHostNameList& out) {
  const char* p = text.c_str();
  int n = text.length();
  int i = 0;
  while (i < n) {
    while (i < n && separatesNames(p[i])) ++i;
    int start = i;
    while (i < n && !separatesNames(p[i])) ++i;
    if (i > start) out.append(new ZxHostName(ZxString(p + start, i - start), 0, -1));
  }
}

void ZxConfig::read(const ZxEnvSnapshot& env, const ZxString& path) {
  offerInstallDir(env.get("ZX_DIR"), kInstallDirFromEnvironment);
  ZxConfigFile file(path);
  offerInstallDir(file.get("zx_directory"), kInstallDirFromFile);

  const ZxString& envSupervisor = env.get("ZX_SUPERVISOR");
  if (!envSupervisor.isEmpty()) {
    splitSupervisors(envSupervisor, supervisors_);
    supervisorText_ = envSupervisor;
  } else {
    supervisorText_ = file.get("supervisor_host");
    splitSupervisors(supervisorText_, supervisors_);
    const ZxString& more = file.get("zx_supervisor");
    if (!more.isEmpty()) {
      splitSupervisors(more, supervisors_);
      supervisorText_ = more;
    }
  }

  const ZxString& envDomain = env.get("ZX_DOMAIN");
  if (!envDomain.isEmpty()) {
    domain_ = envDomain;
  } else {
    domain_ = textOr(file, "zx_domain", file.get("supervisor_domain"));
  }
  region_ = file.get("zx_region");

  supervisorLogpath_ = textOr(file, "supervisor_logpath", defaultString(ZxSetting::kSupervisorLogPath));
  workerAddress_ = file.get("worker_address");
  workerTemplatePath_ = textOr(file, "worker_template_path", defaultString(ZxSetting::kJobTypeSearchPath));
  workerPathmap_ = file.get("worker_path_map");
  workerLogpath_ = textOr(file, "worker_logpath", defaultString(ZxSetting::kWorkerLogPath));
  clientLogpath_ = file.get("client_logpath");
  workerLogmode_ = textOr(file, "worker_logmode", defaultString(ZxSetting::kWorkerLogMode));
  clientTimeout_ = numberOr(file, "client_timeout", ZxSetting::kClientTimeout);
  workerPort_ = numberOr(file, "worker_port", ZxSetting::kWorkerPort);
  supervisorPort_ = numberOr(file, "supervisor_port", ZxSetting::kSupervisorPort);
  supervisorSubPort_ = numberOr(file, "supervisor_sub_port", ZxSetting::kSupervisorSubPort);
  supervisorHttpPort_ = numberOr(file, "supervisor_http_port", ZxSetting::kSupervisorHttpPort);
  clientMailAddress_ = file.get("client_mail_address");
  clientAccount_ = file.get("client_account");
  clientHostDomain_ = file.get("client_host_domain");
  clientPriority_ = file.get("client_priority");
  clientCluster_ = file.get("client_cluster");
  clientRestrictions_ = file.get("client_restrictions");
  clientDrivemap_ = file.get("client_drive_map");
  clientPathmap_ = file.get("client_path_map");
  const ZxString& jobFlags = file.get("client_job_flags");
  clientJobFlags_ =
      jobFlags.isEmpty() ? defaultInt(ZxSetting::kClientJobFlags) : JobFlag::fromNames(jobFlags);
  const ZxString& flags = file.get("client_flags");
  clientFlags_ = flags.isEmpty() ? 0 : ClientFlag::fromNames(flags);
}

ZxString ZxConfig::clientDomain() const {
  if (!clientHostDomain_.isEmpty()) return clientHostDomain_;
  ZxString logon;
  if (!zxos::logonDomain(logon) || logon.isEmpty()) return ".";
  if (logon.equals(ZxOsHost::hostName(), 1)) return ".";  // a local account
  return logon;
}

void ZxConfig::print() const {
  ZxLog& log = ZxLog::log();
  log.lock();
  log << "zx_supervisor(s) total: " << supervisors_.count() << "\n";
  for (int i = 0; i < supervisors_.count(); ++i)
    log << "zx_supervisor: " << supervisors_.get(i)->host() << "\n";
  log << "zx_domain: " << domain_ << "\n";
  log << "zx_region: " << region_ << "\n";
  log << "supervisor_port: " << supervisorPort_ << "\n";
  log << "supervisor_sub_port: " << supervisorSubPort_ << "\n";
  log << "supervisor_logpath: " << supervisorLogpath_ << "\n";
  log << "worker_address: " << workerAddress_ << "\n";
  log << "worker_logmode: " << workerLogmode_ << "\n";
  log << "worker_logpath: " << workerLogpath_ << "\n";
  log << "worker_template_path: " << workerTemplatePath_ << "\n";
  log << "worker_path_map: " << workerPathmap_ << "\n";
  log << "worker_port: " << workerPort_ << "\n";
  log << "client_logpath: " << clientLogpath_ << "\n";
  log << "client_path_map: " << clientPathmap_ << "\n";
  log << "client_cluster: " << clientCluster_ << "\n";
  log << "client_host_domain: " << clientHostDomain_ << "\n";
  log << "client_account: " << clientAccount_ << "\n";
  log << "client_restrictions: " << clientRestrictions_ << "\n";
  log << "client_drive_map: " << clientDrivemap_ << "\n";
  log << "client_mail_address: " << clientMailAddress_ << "\n";
  log << "client_priority: " << clientPriority_ << "\n";
  log << "client_flags: " << clientFlags_ << "\n";
  log << "client_job_flags: " << clientJobFlags_ << "\n";
  log << "client_timeout: " << clientTimeout_ << "\n";
  log.unlock();
}
