// melhost: runs MEL with plug-ins loaded, standing in for Maya.
//
//   melhost [-p PLUGIN]... [--json] [-c STATEMENTS | SCRIPT.mel | -]
//
// Loads each plug-in in order, runs the MEL (the -c text, the script file,
// or standard input for "-" or when nothing is named), then unloads the
// plug-ins, the last loaded first. Exit status: 0 when everything ran, 1
// when a command failed or a runtime error occurred, 2 for a syntax error,
// a plug-in that cannot be loaded, or bad usage.
//
// The interpreter runs on a thread with a large stack, so that deeply
// nested scripts reach the interpreter's own nesting limits long before the
// end of the stack.
#include <pthread.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zx_mel_files.h"
#include "zx_mel_host.h"
#include "zx_mel_interpreter.h"
#include "zx_mel_plugins.h"

namespace {

// Stack of the interpreter thread: room for the deepest nesting the
// interpreter allows, with sanitizer-sized frames.
constexpr size_t kInterpreterStack = 512u * 1024 * 1024;

struct Options {
  std::vector<std::string> plugins;
  bool json = false;
  bool haveCommand = false;
  std::string command;
  std::string script;  // "" or "-": standard input
};

void usage(FILE* to) {
  std::fprintf(to, "usage: melhost [-p PLUGIN]... [--json] [-c STATEMENTS | SCRIPT.mel | -]\n");
}

bool readAll(FILE* f, std::string& out) {
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (out.size() + n > static_cast<size_t>(mel::kMaxScriptBytes)) return false;
    out.append(buf, n);
  }
  return std::ferror(f) == 0;
}

std::string dirOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

struct Job {
  const Options* options;
  int status;
};

int runAll(const Options& o) {
  std::string text, name, dir = ".";
  if (o.haveCommand) {
    // As in Maya, the last statement of a command text needs no ';'.
    text = o.command + "\n;";
    name = "<command>";
  } else if (o.script.empty() || o.script == "-") {
    name = "<stdin>";
    if (!readAll(stdin, text)) {
      std::fprintf(stderr, "melhost: cannot read standard input\n");
      return 2;
    }
  } else {
    name = o.script;
    dir = dirOf(o.script);
    std::string error;
    mel::ScriptRead read = mel::readScriptFile(o.script, text, error);
    if (read != mel::ScriptRead::kOk) {
      if (read == mel::ScriptRead::kMissing) error = "cannot read \"" + o.script + "\"";
      std::fprintf(stderr, "melhost: %s\n", error.c_str());
      return 2;
    }
  }

  mel::PluginSet plugins;
  mel::Interpreter interp(plugins, o.json);
  mel::MelHost host(interp, plugins);
  mayahost::setHost(&host);
  int status = 0;
  for (const std::string& p : o.plugins) {
    std::string pluginName, error;
    if (!plugins.load(p, pluginName, error)) {
      std::fprintf(stderr, "melhost: plug-in \"%s\" cannot be loaded: %s\n", p.c_str(), error.c_str());
      status = 2;
      break;
    }
  }
  if (status == 0) status = interp.runMain(text, name, dir);
  // Plug-ins are unloaded while the interpreter still runs the MEL their
  // uninitializePlugin may execute.
  plugins.unloadAll();
  mayahost::setHost(nullptr);
  std::fflush(stdout);
  return status;
}

void* threadMain(void* arg) {
  Job* job = static_cast<Job*>(arg);
  job->status = runAll(*job->options);
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-p" && i + 1 < argc) {
      o.plugins.push_back(argv[++i]);
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "-c" && i + 1 < argc) {
      o.haveCommand = true;
      o.command = argv[++i];
    } else if (a == "-h" || a == "--help") {
      usage(stdout);
      return 0;
    } else if ((a.size() > 1 && a[0] == '-') || !o.script.empty() || o.haveCommand) {
      usage(stderr);
      return 2;
    } else {
      o.script = a;
    }
  }
  if (o.haveCommand && !o.script.empty()) {
    usage(stderr);
    return 2;
  }

  Job job{&o, 2};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kInterpreterStack);
  pthread_t thread;
  if (pthread_create(&thread, &attr, threadMain, &job) != 0) {
    // Without the big thread the interpreter still works, with less room.
    pthread_attr_destroy(&attr);
    return runAll(o);
  }
  pthread_attr_destroy(&attr);
  pthread_join(thread, nullptr);
  return job.status;
}
