// Runs one entry point once on the bytes of a file, for the memory and time
// measurements of fuzz/measure.sh (peak memory is read from outside,
// with /usr/bin/time). Unlike the fuzz targets it checks nothing and builds
// nothing besides what the entry point itself builds.
//   zx_fuzz_measure ENTRY FILE
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "config/zx_config_file.h"
#include "config/zx_config_tree.h"
#include "model/zx_event.h"
#include "model/zx_job.h"
#include "model/zx_reservation.h"
#include "model/zx_time.h"
#include "model/zx_variable.h"
#include "plugin/zx_job_hash.h"
#include "plugin/zx_option_parser.h"
#include "plugin/zx_package_string.h"
#include "plugin/zx_package_tree.h"
#include "message/zx_message.h"
#include "util/zx_frame_list.h"
#include "util/zx_log.h"
#include "model/zx_string_list.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zx_fuzz_measure ENTRY FILE\n");
    return 2;
  }
  const char* entry = argv[1];
  std::ifstream in(argv[2], std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ZxString text(bytes.data(), static_cast<int>(bytes.size()));
  std::vector<char>().swap(bytes);
  auto is = [entry](const char* name) { return std::strcmp(entry, name) == 0; };
  if (is("package_string")) {
    ZxStringList list;
    parsePackage(text, list);
  } else if (is("package_tree")) {
    packageToCompact(text);  // packageToTree, then the compact writer
  } else if (is("compact")) {
    compactToPackage(text);  // readCompact, then the package writer
  } else if (is("config_file")) {
    ZxConfigFile file;
    file.parse(text);
  } else if (is("config_tree")) {
    ZxLog::log().setLogFile("/dev/null", 0);
    ZxConfigTree tree;
    tree.parse(text);
  } else if (is("frame_chunk")) {
    // The first byte is the chunk size less one, as in the fuzz target.
    FrameList frames;
    frames.parse(ZxString(text.c_str() + 1, text.length() > 0 ? text.length() - 1 : 0));
    ZxStringList chunks;
    frames.chunk(text.length() > 0 ? static_cast<unsigned char>(text.charAt(0)) + 1 : 1, chunks);
  } else if (is("frame_expand")) {
    FrameList frames;
    ZxStringList out;
    frames.expand(text, out);
  } else if (is("option_parser")) {
    ZxStringList words;
    int start = 0;
    for (int i = 0; i <= text.length(); ++i) {
      if (i < text.length() && text.charAt(i) != '\n' && text.charAt(i) != 0) continue;
      words.add(ZxString(text.c_str() + start, i - start));
      start = i + 1;
    }
    OptionParser parser;
    parser.addFlag("all");
    parser.addText("user");
    parser.addIntegerRange("range");
    parser.addInteger("priority");
    parser.parse(words);
  } else if (is("trigger")) {
    ZxEvent event;
    event.fromTriggerText(text);
  } else if (is("date_text")) {
    ZxTime time;
    time.fromDateText(text);
  } else if (is("reservation")) {
    ZxReservationList list;
    list.fromReservationText(text);
  } else if (is("variable_key")) {
    ZxVariable variable;
    variable.fromKeyText(text);
  } else if (is("message")) {
    ZxMessage message;
    message.unpack(text.c_str(), text.length());
  } else if (is("job_list")) {
    ZxJobList list;
    list.unpack(text.c_str(), text.length());
  } else if (is("job_text")) {
    ZxJobList list;
    list.fromText(text.c_str(), text.length());
  } else if (is("job_hash")) {
    // What zxsubmit and zxarchivejob do: read the hash, write it back.
    ZxJob* job = hashToJob(text);
    ZxString hash;
    jobToHash(job, hash);
    delete job;
  } else {
    std::fprintf(stderr, "unknown entry %s\n", entry);
    return 2;
  }
  return 0;
}
