// Completing a job from the configuration, its job type and the process.
#include "client/zx_job_completion.h"

#include <memory>

#include "config/zx_callback_library.h"
#include "config/zx_config.h"
#include "config/zx_config_file.h"
#include "config/zx_env_capture.h"
#include "config/zx_job_type.h"
#include "config/zx_path_map_text.h"
#include "model/zx_flags.h"

namespace {

// Sets an empty text field from a default.
template <class Setter>
void fillEmpty(const ZxString& current, const ZxString& value, Setter set) {
  if (current.isEmpty() && !value.isEmpty()) set(value);
}

void applyConfiguration(ZxJob& job, const ZxConfig& config, const ZxString& templatePath) {
  zxpathmap::addText(job.pathMap(), config.clientPathmap());
  fillEmpty(job.path(), templatePath, [&](const ZxString& v) { job.setPath(v); });
  fillEmpty(job.account(), config.clientAccount(), [&](const ZxString& v) { job.setAccount(v); });
  if (job.priority() < 0 && !config.clientPriority().isEmpty())
    job.setPriority(config.clientPriority().toInt());
  fillEmpty(job.cluster(), config.clientCluster(), [&](const ZxString& v) { job.setCluster(v); });
  fillEmpty(job.restrictions(), config.clientRestrictions(),
            [&](const ZxString& v) { job.setRestrictions(v); });
  fillEmpty(job.mailAddress(), config.clientMailAddress(), [&](const ZxString& v) { job.setMailAddress(v); });
  job.setFlags(job.flags() | config.clientJobFlags());
}

void applyJobType(ZxJob& job, const ZxConfig& config, ZxJobTypeMemo* memo) {
  // The job type search path takes worker_template_path from the
  // configuration just read for this job.
  const ZxString searchPath = ZxJobType::defaultSearchPath(config.workerTemplatePath());
  std::unique_ptr<ZxJobType> own;
  if (!memo) own.reset(new ZxJobType(job.prototype(), searchPath));
  const ZxJobType& type = memo ? memo->get(job.prototype(), searchPath) : *own;
  if (!type.valid()) return;  // an unknown type offers nothing
  fillEmpty(job.account(), type.jobAccount(), [&](const ZxString& v) { job.setAccount(v); });
  if (job.priority() < 0 && !type.jobPriority().isEmpty()) job.setPriority(type.jobPriority().toInt());
  fillEmpty(job.cluster(), type.jobCluster(), [&](const ZxString& v) { job.setCluster(v); });
  fillEmpty(job.requirements(), type.jobRequirements(), [&](const ZxString& v) { job.setRequirements(v); });
  fillEmpty(job.restrictions(), type.jobRestrictions(), [&](const ZxString& v) { job.setRestrictions(v); });
  fillEmpty(job.reservations(), type.jobReservations(), [&](const ZxString& v) { job.setReservations(v); });
  fillEmpty(job.kind(), type.jobKind(), [&](const ZxString& v) { job.setKind(v); });
  fillEmpty(job.label(), type.jobLabel(), [&](const ZxString& v) { job.setLabel(v); });
  fillEmpty(job.hosts(), type.jobHosts(), [&](const ZxString& v) { job.setHosts(v); });
  fillEmpty(job.groups(), type.jobGroups(), [&](const ZxString& v) { job.setGroups(v); });
  if (!type.jobFlags().isEmpty()) job.setFlags(job.flags() | JobFlag::fromNames(type.jobFlags()));
  if (job.cpus() < 1) job.setCpus(type.jobCpus().toInt());
  fillEmpty(job.name(), type.jobName(), [&](const ZxString& v) { job.setName(v); });
  // callbackLibrary() is made absolute even when the key is missing, so the
  // key itself says whether the type names a library.
  if (!type.value("callback_library", false).isEmpty())
    loadCallbacks(type.callbackLibrary(), job.callbacks());
}

void applyEnvironment(ZxJob& job, const ZxConfig& config) {
  ZxEnv& env = job.env();
  const bool exporting = (job.flags() & JobFlag::kExportEnvironment) != 0;
  // Variables that are dropped below are not captured in the first place.
  if (exporting)
    zxenv::capture(env);
  else
    zxenv::captureLocation(env);
  if ((job.flags() & JobFlag::kAutoMount) == 0) zxenv::clearMounts(env);
  zxenv::addDriveMap(env, config.clientDrivemap());
  if (!exporting) zxenv::clearVariables(env);
}

}  // namespace

const ZxJobType& ZxJobTypeMemo::get(const ZxString& name, const ZxString& searchPath) {
  std::string key(name.c_str(), static_cast<size_t>(name.length()));
  key.push_back('\0');
  key.append(searchPath.c_str(), static_cast<size_t>(searchPath.length()));
  std::unique_ptr<ZxJobType>& slot = types_[key];
  if (!slot) slot.reset(new ZxJobType(name, searchPath));
  return *slot;
}

void completeJob(ZxJob& job, const ZxString& templatePath, ZxJobTypeMemo* memo) {
  for (int i = 0; i < job.children().count(); ++i)
    if (ZxJob* child = job.children().get(i)) completeJob(*child, templatePath, memo);
  const ZxConfig config;
  applyConfiguration(job, config, templatePath);
  applyJobType(job, config, memo);
  applyEnvironment(job, config);
}

ZxString submitTemplatePath(const ZxEnvSnapshot& env) {
  ZxString path = env.get("ZXPATH");
  ZxString userFile = env.get("HOME");
  userFile.append("/.zx.conf");
  const ZxConfigFile user(userFile);
  if (user.loaded()) path.append(':').append(user.get("template_path"));
  return path;
}
