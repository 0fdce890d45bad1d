// ZxConfig: the client settings of one operation, read afresh from the
// environment, the configuration file zx.conf and the built-in defaults.
//
// Precedence: ZX_SUPERVISOR and ZX_DOMAIN replace the file's supervisor and
// domain keys when set; ZX_DIR (priority 3) and the file's zx_directory
// (priority 2) are offered as the process-wide installation directory; every
// other key comes from zx.conf, and a key that is missing or empty takes its
// default. The file's place does not depend on the installation directory.
// A missing, unreadable or damaged file gives the defaults; nothing fails.
//
// Nothing is cached between two objects except the installation directory.
// The object owns its fields; the string accessors lend references.
#pragma once

#include "config/zx_config_file.h"
#include "config/zx_env_snapshot.h"
#include "model/zx_host_name.h"
#include "util/zx_base.h"
#include "util/zx_string.h"

class ZxConfig : public ZxBase {
 public:
  // Reads the live environment and the configuration file of this platform.
  ZxConfig();
  // Reads the given environment snapshot and the configuration file at
  // `path` (for tools and tests that hold their own).
  ZxConfig(const ZxEnvSnapshot& env, const ZxString& path);
  ZxConfig(const ZxConfig&) = default;
  ZxConfig& operator=(const ZxConfig&) = default;
  ~ZxConfig() override;

  int typeId() const override { return 75; }

  // Supervisor entries: host name, port 0 (use the route's port), id -1.
  const ZxHostNameList& supervisors() const { return supervisors_; }
  const ZxString& domain() const { return domain_; }
  const ZxString& region() const { return region_; }
  // The text that was split last into the supervisor list.
  const ZxString& supervisorText() const { return supervisorText_; }
  const ZxString& supervisorLogpath() const { return supervisorLogpath_; }
  const ZxString& workerPathmap() const { return workerPathmap_; }
  const ZxString& workerLogpath() const { return workerLogpath_; }
  const ZxString& clientLogpath() const { return clientLogpath_; }
  const ZxString& workerAddress() const { return workerAddress_; }
  const ZxString& workerTemplatePath() const { return workerTemplatePath_; }
  const ZxString& workerLogmode() const { return workerLogmode_; }
  const ZxString& clientPathmap() const { return clientPathmap_; }
  const ZxString& clientCluster() const { return clientCluster_; }
  const ZxString& clientHostDomain() const { return clientHostDomain_; }
  const ZxString& clientAccount() const { return clientAccount_; }
  const ZxString& clientRestrictions() const { return clientRestrictions_; }
  const ZxString& clientDrivemap() const { return clientDrivemap_; }
  const ZxString& clientPriority() const { return clientPriority_; }
  const ZxString& clientMailAddress() const { return clientMailAddress_; }
  int workerPort() const { return workerPort_; }
  int supervisorPort() const { return supervisorPort_; }
  int supervisorSubPort() const { return supervisorSubPort_; }
  int supervisorHttpPort() const { return supervisorHttpPort_; }
  int clientFlags() const { return clientFlags_; }
  int clientJobFlags() const { return clientJobFlags_; }
  int clientTimeout() const { return clientTimeout_; }

  // The domain of the client's user: client_host_domain when set, else the
  // account's logon domain unless it is empty or the computer's own name
  // (a local account), else ".".
  ZxString clientDomain() const;

  // Writes the settings to the log sink, one "label: value" line each.
  void print() const;

  // Splits `text` at blanks and commas (runs give no empty names) and
  // appends one entry per name to `out`.
  static void splitSupervisors(const ZxString& text, ZxHostNameList& out);

 private:
  void read(const ZxEnvSnapshot& env, const ZxString& path);

  ZxHostNameList supervisors_;
  ZxString domain_;
  ZxString region_;
  ZxString supervisorText_;
  ZxString supervisorLogpath_;
  ZxString workerPathmap_;
  ZxString workerLogpath_;
  ZxString clientLogpath_;
  ZxString workerAddress_;
  ZxString workerTemplatePath_;
  ZxString workerLogmode_;
  ZxString clientPathmap_;
  ZxString clientCluster_;
  ZxString clientHostDomain_;
  ZxString clientAccount_;
  ZxString clientRestrictions_;
  ZxString clientDrivemap_;
  ZxString clientPriority_;
  ZxString clientMailAddress_;
  int workerPort_ = 0;
  int supervisorPort_ = 0;
  int supervisorSubPort_ = 0;
  int supervisorHttpPort_ = 0;
  int clientFlags_ = 0;
  int clientJobFlags_ = 0;
  int clientTimeout_ = 0;
};
