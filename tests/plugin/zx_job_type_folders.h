// Fixture of the tests that need installed job types: a temporary folder
// with "etc" (the configuration folder), "inst" (the installation folder)
// and "types" (the job type search path), pointed at through ZX_CONF_DIR,
// ZX_DIR and ZXPATH, and a recording Maya host installed for the test.
#pragma once

#include <gtest/gtest.h>
#include <mayahost/host.h>

#include <string>
#include <vector>

#include "config/zx_env_fixture.h"
#include "config/zx_paths.h"

// Records what the plug-in asks of Maya. Sourcing and running MEL fail, as
// for a script that does not load and an unknown procedure.
class RecordingHost : public mayahost::Host {
 public:
  MStatus registerCommand(const MString&, MCreatorFunction) override { return MStatus::kSuccess; }
  MStatus deregisterCommand(const MString&) override { return MStatus::kSuccess; }
  MStatus sourceFile(const MString& path) override {
    sourced.push_back(path.str());
    return MStatus::kFailure;
  }
  MStatus executeCommand(const MString& command, bool display, bool undo) override {
    executed.push_back(command.str() + (display ? " display" : "") + (undo ? " undo" : ""));
    return MStatus::kFailure;
  }
  void displayError(const MString& m) override { messages.push_back(m.str()); }
  void displayWarning(const MString& m) override { messages.push_back(m.str()); }
  void displayInfo(const MString& m) override { messages.push_back(m.str()); }
  std::vector<std::string> sourced, executed, messages;
};

// Every test of this fixture must leave Maya's message area empty.
class JobTypeFolders : public testing::Test {
 protected:
  void SetUp() override {
    resetInstallDir();
    tmp_.mkdir("etc");
    tmp_.mkdir("types");
    env_.set("ZX_CONF_DIR", tmp_.file("etc"))
        .set("ZX_DIR", tmp_.file("inst"))
        .set("ZXPATH", tmp_.file("types"));
    mayahost::setHost(&host_);
  }
  void TearDown() override {
    mayahost::setHost(nullptr);
    resetInstallDir();
    EXPECT_TRUE(host_.messages.empty()) << host_.messages.front();
  }
  // Installs job type `name` with the given job.conf; answers its folder.
  std::string addType(const std::string& name, const std::string& conf) {
    std::string folder = tmp_.mkdir("types/" + name);
    tmp_.write("types/" + name + "/job.conf", conf);
    return folder;
  }

  zxtest::TempDir tmp_;
  zxtest::ScopedEnv env_;
  RecordingHost host_;
};
