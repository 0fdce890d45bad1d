// Job types: the search along the search path, job.conf loading with the
// version gates and the Windows-binding rule, path resolution, the listing of
// installed types, and broken job.conf files. Every test builds its own job
// type folders in a temporary folder and points ZXPATH, ZX_DIR and
// ZX_CONF_DIR there.
#include "config/zx_job_type.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "config/zx_env_fixture.h"
#include "config/zx_paths.h"
#include "model/zx_string_hash.h"
#include "model/zx_string_list.h"

namespace {

using zxtest::ScopedEnv;
using zxtest::TempDir;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }
ZxString zx(const std::string& s) { return ZxString(s.c_str(), static_cast<int>(s.size())); }

// A temporary installation: an empty configuration folder (no zx.conf), an
// installation directory and a folder for job types, all under one
// temporary folder, with ZXPATH naming the types folder.
class JobTypeTest : public testing::Test {
 protected:
  void SetUp() override {
    resetInstallDir();
    tmp_.mkdir("etc");
    tmp_.mkdir("inst");
    tmp_.mkdir("types");
    env_.set("ZX_CONF_DIR", tmp_.file("etc")).set("ZX_DIR", tmp_.file("inst")).set("ZXPATH", types());
  }
  void TearDown() override { resetInstallDir(); }

  std::string types() const { return tmp_.file("types"); }
  // Makes the folder `dir`/`name` with a job.conf holding `conf`.
  std::string addType(const std::string& dir, const std::string& name, const std::string& conf) {
    std::string folder = dir + "/" + name;
    ::mkdir(dir.c_str(), 0755);
    ::mkdir(folder.c_str(), 0755);
    zxtest::TempDir::removeTree(folder + "/job.conf");
    if (FILE* f = std::fopen((folder + "/job.conf").c_str(), "wb")) {
      std::fwrite(conf.data(), 1, conf.size(), f);
      std::fclose(f);
    }
    return folder;
  }

  TempDir tmp_;
  ScopedEnv env_;
};

TEST_F(JobTypeTest, FindsTheTypeAlongTheSearchPathFirstFolderFirst) {
  std::string a = tmp_.file("a"), b = tmp_.file("b"), c = tmp_.file("c");
  addType(b, "maya", "detail = from b\n");
  addType(c, "maya", "detail = from c\n");
  addType(c, "nuke", "detail = nuke\n");
  // A plain file of the type's name is not a type folder.
  ::mkdir(a.c_str(), 0755);
  tmp_.write("a/maya", "detail = file\n");

  struct Case {
    std::string searchPath;
    std::string type;
    bool valid;
    std::string folder;
  };
  const Case cases[] = {
      {a + ";" + b + ";" + c, "maya", true, b + "/maya"},
      {c + ";" + b, "maya", true, c + "/maya"},
      {";;" + b + "/;", "maya", true, b + "/maya"},  // empty pieces skipped; no second separator
      {a + ";" + b, "nuke", false, ""},
      {b + ";" + c, "Maya", false, ""},       // names match exactly, with case
      {b + ";" + c, "../c/maya", false, ""},  // never a path, only an entry of a folder
      {b, "", false, ""},
      {"", "maya", false, ""},
  };
  for (const Case& k : cases) {
    ZxJobType type(zx(k.type), zx(k.searchPath));
    EXPECT_EQ(type.valid(), k.valid) << k.searchPath << " " << k.type;
    EXPECT_EQ(str(type.folder()), k.folder) << k.searchPath << " " << k.type;
    // Once found, the name is the type's folder.
    EXPECT_EQ(str(type.name()), k.valid ? k.folder : k.type);
  }
}

TEST_F(JobTypeTest, DefaultSearchPathIsZxpathThenTemplatePathThenInstallation) {
  std::string inst = tmp_.file("inst");
  std::string installed = inst + "/types;" + tmp_.path() + "/jobtypes;" + tmp_.path() + "/jobtypes";
  // Without zx.conf the template path is the installation's path too.
  EXPECT_EQ(str(ZxJobType::defaultSearchPath()),
            types() + ";" + installed + ";" + installed + ";" + installed);

  // The template path comes from zx.conf when set.
  tmp_.write("etc/zx.conf", "worker_template_path = " + tmp_.file("tpl") + "\n");
  EXPECT_EQ(str(ZxJobType::defaultSearchPath()),
            types() + ";" + tmp_.file("tpl") + ";" + installed + ";" + installed);

  // ZXPATH wins over the template path, which wins over the installation.
  addType(tmp_.file("inst/types"), "maya", "detail = installed\n");
  EXPECT_EQ(str(ZxJobType(zx("maya")).detail()), "installed");
  addType(tmp_.file("tpl"), "maya", "detail = template\n");
  EXPECT_EQ(str(ZxJobType(zx("maya")).detail()), "template");
  addType(types(), "maya", "detail = zxpath\n");
  EXPECT_EQ(str(ZxJobType(zx("maya")).detail()), "zxpath");
}

TEST_F(JobTypeTest, VersionGates) {
  struct Case {
    const char* conf;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"required_zexa_version = 5.4\n", true},
      {"required_zexa_version = 5.40\n", true},
      {"required_zexa_version = 5.3\n", false},
      {"required_zexa_version = 5.5\n", false},
      {"required_zexa_version = five\n", true},  // not a number: ignored
      {"required_zexa_version =\n", true},
      {"minimum_zexa_version = 5.4\n", true},
      {"minimum_zexa_version = 4\n", true},
      {"minimum_zexa_version = 5.5\n", false},
      {"minimum_zexa_version = 6\n", false},
      {"minimum_zexa_version = latest\n", true},
      {"minimum_zexa_version = 5.0\nrequired_zexa_version = 5.4\n", true},
      {"minimum_zexa_version = 5.0\nrequired_zexa_version = 5.3\n", false},
  };
  for (const Case& c : cases) {
    std::string folder = addType(types(), "t", std::string(c.conf) + "detail = d\n");
    ZxJobType type(zx("t"), zx(types()));
    EXPECT_EQ(type.valid(), c.valid) << c.conf;
    // A type made for another version offers none of its values.
    EXPECT_EQ(str(type.detail()), c.valid ? "d" : "") << c.conf;
    EXPECT_EQ(str(type.value(zx("detail"), false)), c.valid ? "d" : "") << c.conf;
  }
}

TEST_F(JobTypeTest, WindowsBindingRule) {
  struct Case {
    const char* conf;
    const char* binding;            // of the job display, and of the other two front-end parts
    const char* jobDisplayLibrary;  // relative to the folder; "" for none
    const char* executeBinding;
    const char* executeLibrary;
  };
  const Case cases[] = {
      {"gui_binding_winnt = py\ngui_job_display_library_winnt = w.py\ngui_job_display_library = g.py\n"
       "gui_job_display_binding = tcl\ngui_submit_binding = tcl\ngui_subjob_display_binding = tcl\n",
       "py", "w.py", "", ""},
      // No Windows binding: the Windows library is dropped with it.
      {"gui_binding_winnt =\ngui_job_display_library_winnt = w.py\ngui_job_display_library = g.py\n"
       "gui_job_display_binding = tcl\ngui_submit_binding = tcl\ngui_subjob_display_binding = tcl\n",
       "tcl", "g.py", "", ""},
      {"gui_job_display_library_winnt = w.py\n", "", "", "", ""},
      // A Windows binding with no Windows library: the generic library is not used.
      {"gui_binding_winnt = py\ngui_job_display_library = g.py\n", "py", "", "", ""},
      {"execute_binding_winnt = cmd\nexecute_library_winnt = run.bat\nexecute_binding = sh\n"
       "execute_library = run.sh\n",
       "", "", "cmd", "run.bat"},
      {"execute_library_winnt = run.bat\nexecute_binding = sh\nexecute_library = run.sh\n", "", "", "sh",
       "run.sh"},
  };
  for (const Case& c : cases) {
    std::string folder = addType(types(), "t", c.conf);
    ZxJobType type(zx("t"), zx(types()));
    ASSERT_TRUE(type.valid()) << c.conf;
    EXPECT_EQ(str(type.guiJobDisplayBinding()), c.binding) << c.conf;
    EXPECT_EQ(str(type.guiSubmitBinding()), c.binding) << c.conf;
    EXPECT_EQ(str(type.guiSubjobDisplayBinding()), c.binding) << c.conf;
    EXPECT_EQ(str(type.guiJobDisplayLibrary()), folder + "/" + c.jobDisplayLibrary) << c.conf;
    EXPECT_EQ(str(type.executeBinding()), c.executeBinding) << c.conf;
    EXPECT_EQ(str(type.executeLibrary()), folder + "/" + c.executeLibrary) << c.conf;
  }
}

TEST_F(JobTypeTest, FieldsFromTheirKeys) {
  std::string folder =
      addType(types(), "maya",
              "gui_icon = maya.png\nsubmit_binding = mel\nsubmit_library = D:\\x\\submit.py\n"
              "callback_library = /opt/cb.conf\ndisplay_library = \\\\srv\\d.py\n"
              "parent_type = generic\nversion = 2\nshort_detail = short\njob_priority = 50\n"
              "job_cluster = /a\njob_requirements = r\njob_restrictions = x\n"
              "job_reservations = host.processors=1\njob_kind = k\njob_label = l\n"
              "job_account = acc\njob_hosts = h1\njob_groups = g\njob_flags = mail\n"
              "job_cpus = 4\njob_name = n\njob_status = blocked\n");
  ZxJobType t(zx("maya"), zx(types()));
  ASSERT_TRUE(t.valid());
  EXPECT_EQ(str(t.icon()), folder + "/maya.png");
  EXPECT_EQ(str(t.submitBinding()), "mel");
  EXPECT_EQ(str(t.submitLibrary()), "D:\\x\\submit.py");
  EXPECT_EQ(str(t.callbackLibrary()), "/opt/cb.conf");
  EXPECT_EQ(str(t.displayLibrary()), "\\\\srv\\d.py");
  EXPECT_EQ(str(t.parentType()), "generic");
  EXPECT_EQ(str(t.version()), "2");
  EXPECT_EQ(str(t.shortDetail()), "short");
  const std::vector<std::pair<std::string, std::string>> jobDefaults = {
      {str(t.jobPriority()), "50"},
      {str(t.jobCluster()), "/a"},
      {str(t.jobRequirements()), "r"},
      {str(t.jobRestrictions()), "x"},
      {str(t.jobReservations()), "host.processors=1"},
      {str(t.jobKind()), "k"},
      {str(t.jobLabel()), "l"},
      {str(t.jobAccount()), "acc"},
      {str(t.jobHosts()), "h1"},
      {str(t.jobGroups()), "g"},
      {str(t.jobFlags()), "mail"},
      {str(t.jobCpus()), "4"},
      {str(t.jobName()), "n"},
      {str(t.jobStatus()), "blocked"},
  };
  for (const auto& d : jobDefaults) EXPECT_EQ(d.first, d.second);
}

TEST(JobTypePaths, ResolvePath) {
  struct Case {
    const char* folder;
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {"/t/maya", "submit.py", "/t/maya/submit.py"},
      {"/t/maya/", "submit.py", "/t/maya/submit.py"},
      {"C:\\types\\maya", "submit.py", "C:\\types\\maya/submit.py"},
      {"C:\\types\\maya\\", "submit.py", "C:\\types\\maya\\submit.py"},
      {"/t/maya", "D:\\x\\submit.py", "D:\\x\\submit.py"},
      {"/t/maya", "d:/x/submit.py", "d:/x/submit.py"},
      {"/t/maya", "\\\\srv\\share\\a.py", "\\\\srv\\share\\a.py"},
      {"/t/maya", "/opt/a.py", "/opt/a.py"},
      {"/t/maya", "http://host/a.py", "http://host/a.py"},
      {"/t/maya", "host:/a.py", "host:/a.py"},
      // Relative: a single leading backslash, a "/" path that also holds a
      // backslash, a drive without a separator, sub-folders.
      {"/t/maya", "\\a.py", "/t/maya/\\a.py"},
      {"/t/maya", "/a\\b.py", "/t/maya//a\\b.py"},
      {"/t/maya", "C:a.py", "/t/maya/C:a.py"},
      {"/t/maya", "sub/a.py", "/t/maya/sub/a.py"},
      {"/t/maya", "a/b:c", "/t/maya/a/b:c"},
      {"/t/maya", "", "/t/maya/"},
      {"", "", "/"},
      {"", "a.py", "/a.py"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(str(ZxJobType::resolvePath(ZxString(c.folder), ZxString(c.path))), c.expected)
        << c.folder << " + " << c.path;
}

TEST_F(JobTypeTest, ValueWithAndWithoutResolution) {
  std::string folder = addType(types(), "maya", "submit_library = submit.py\nabs = D:\\x\\submit.py\n");
  ZxJobType type(zx("maya"), zx(types()));
  EXPECT_EQ(str(type.value(zx("submit_library"), true)), folder + "/submit.py");
  EXPECT_EQ(str(type.value(zx("submit_library"), false)), "submit.py");
  EXPECT_EQ(str(type.value(zx("abs"), true)), "D:\\x\\submit.py");
  EXPECT_EQ(str(type.value(zx("missing"), true)), folder + "/");
  EXPECT_EQ(str(type.value(zx("missing"), false)), "");

  EXPECT_EQ(str(jobTypeValue(zx("maya"), zx("submit_library"), true)), folder + "/submit.py");
  EXPECT_EQ(str(jobTypeValue(zx("houdini"), zx("submit_library"), false)), "");
  EXPECT_EQ(str(jobTypeValue(zx("houdini"), zx("submit_library"), true)), "/");
}

TEST_F(JobTypeTest, BrokenJobConfGivesTheDefaults) {
  std::string garbage;
  for (int i = 0; i < 512; ++i) garbage.push_back(static_cast<char>((i * 151 + 7) % 256));
  struct Case {
    std::string name;
    std::string conf;  // the text; "<dir>" makes job.conf a folder, "<none>" leaves it out
    bool valid;
  };
  const Case cases[] = {
      {"empty", "", true},        {"garbage", garbage, true}, {"nul", std::string("\0\0=\0", 4), true},
      {"folder", "<dir>", false}, {"fifo", "<fifo>", false},  // refused without waiting for a writer {"none",
                                                              // "<none>", false},
  };
  for (const Case& c : cases) {
    std::string folder = types() + "/" + c.name;
    if (c.conf == "<dir>") {
      ::mkdir(folder.c_str(), 0755);
      ::mkdir((folder + "/job.conf").c_str(), 0755);
    } else if (c.conf == "<fifo>") {
      ::mkdir(folder.c_str(), 0755);
      ASSERT_EQ(mkfifo((folder + "/job.conf").c_str(), 0600), 0);
    } else if (c.conf == "<none>") {
      ::mkdir(folder.c_str(), 0755);
    } else {
      addType(types(), c.name, c.conf);
    }
    ZxJobType type(zx(c.name), zx(types()));
    EXPECT_EQ(type.valid(), c.valid) << c.name;
    EXPECT_EQ(str(type.jobKind()), "") << c.name;
    EXPECT_EQ(str(type.submitBinding()), "") << c.name;
    EXPECT_EQ(str(type.value(zx("maya_menu"), false)), "") << c.name;
    EXPECT_EQ(str(type.value(zx("maya_menu"), true)), folder + "/") << c.name;
  }
}

TEST_F(JobTypeTest, UnreadableJobConfIsInvalid) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  std::string folder = addType(types(), "locked", "detail = d\n");
  ::chmod((folder + "/job.conf").c_str(), 0);
  ZxJobType type(zx("locked"), zx(types()));
  EXPECT_FALSE(type.valid());
  EXPECT_EQ(str(type.detail()), "");
}

TEST_F(JobTypeTest, TooLongPathsCountAsAbsentWithAWarning) {
  // A search folder whose type folder path reaches 260 characters.
  std::string base = types() + "/";
  std::string longDir = base + std::string(255 - base.size(), 'd');
  addType(longDir, "maya", "detail = d\n");
  std::string typePath = longDir + "/maya";
  ASSERT_GE(typePath.size(), 260u);
  testing::internal::CaptureStdout();
  ZxJobType type(zx("maya"), zx(longDir));
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(type.valid());
  EXPECT_EQ(printed, "WARNING: " + typePath + " exceeds MAX_PATH.\n");
}

// A folder named again later in a search path is searched once: by the
// same text, or by a text that leads to the same folder.
TEST_F(JobTypeTest, SearchFoldersAreDistinctInOrder) {
  const std::string t = types();
  const std::string other = tmp_.mkdir("other");
  const std::string link = tmp_.file("link");
  ASSERT_EQ(::symlink(t.c_str(), link.c_str()), 0);
  const std::string missing = tmp_.file("missing");
  const std::string longMissing = tmp_.file(std::string(300, 'm'));
  struct Case {
    std::string path;
    std::string folders;
  } cases[] = {
      {"", ""},
      {";;", ""},
      {t + ";" + t, t},
      {t + ";" + t + "/;" + t + "/.;" + link + ";" + other + "/../types", t},
      {link + ";" + t + ";" + other + ";" + t, link + "," + other},
      // Folders that do not exist are told apart by their text.
      {missing + ";" + missing + "/;" + missing, missing + "," + missing + "/"},
      // A spelling too long to be listed does not hide a shorter one.
      {longMissing + ";" + longMissing + ";" + t, longMissing + "," + t},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ZxStringList folders;
    searchFolders(zx(c.path), folders);
    EXPECT_EQ(str(folders.join(",")), c.folders);
  }
}

// A search path naming one folder thousands of times costs one listing of
// it: the folder here is too long to be listed, and each listing would
// leave a warning.
TEST_F(JobTypeTest, RepeatedSearchFoldersAreListedOnce) {
  addType(types(), "maya", "detail = d\n");
  const std::string longDir = tmp_.file(std::string(300, 'l'));
  std::string path;
  for (int i = 0; i < 5000; ++i) path += longDir + ";";
  path += types();
  for (int i = 0; i < 5000; ++i) path += ";" + types();
  env_.set("ZXPATH", path);
  testing::internal::CaptureStdout();
  ZxJobType type(zx("maya"));
  ZxStringList names;
  listJobTypes(ZxString(), names);
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(type.valid());
  EXPECT_EQ(str(names.join(",")), "maya");
  const std::string warning = "WARNING: " + longDir + " exceeds MAX_PATH.\n";
  EXPECT_EQ(printed, warning + warning);  // one for the lookup, one for the listing
}

TEST_F(JobTypeTest, ListsValidTypesOnceSkippingDotFolders) {
  std::string second = tmp_.file("second");
  addType(types(), "maya", "detail = first\n");
  addType(types(), "nuke", "");
  addType(types(), ".svn", "");
  addType(types(), "future", "minimum_zexa_version = 9\n");
  tmp_.mkdir("types/noconf");
  tmp_.write("types/plainfile", "x");
  addType(second, "maya", "required_zexa_version = 1\n");  // hidden by the first folder's maya
  addType(second, "houdini", "");
  addType(tmp_.file("inst/types"), "katana", "");

  ZxStringList names;
  listJobTypes(zx(second), names);
  std::vector<std::string> got;
  for (int i = 0; i < names.count(); ++i) got.push_back(str(*names.get(i)));
  EXPECT_EQ(std::set<std::string>(got.begin(), got.end()),
            (std::set<std::string>{"maya", "nuke", "houdini", "katana"}));
  EXPECT_EQ(got.size(), 4u);  // each once

  // The order is that of the string hash gathering the names.
  ZxStringHash order;
  for (const char* n : {"maya", "nuke", "houdini", "katana"}) order.insert(ZxString(n), ZxString());
  std::vector<std::string> expected;
  order.forEach([&](const ZxString& k, const ZxString*) {
    if (std::set<std::string>(got.begin(), got.end()).count(str(k))) expected.push_back(str(k));
  });
  EXPECT_EQ(got, expected);

  // Without the extra folder, houdini is not found.
  ZxStringList without;
  listJobTypes(ZxString(), without);
  EXPECT_EQ(without.count(), 3);
}

TEST_F(JobTypeTest, NothingInstalledListsNothing) {
  env_.set("ZXPATH", "");
  ZxStringList names;
  listJobTypes(ZxString(), names);
  EXPECT_EQ(names.count(), 0);
}

}  // namespace
