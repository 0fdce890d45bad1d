// Tests of ZxErr and ZxMacro: the message of every code with and without
// its named values, placeholder expansion and the resolver, copies, and the
// encoded forms of the error record.
#include "model/zx_err.h"

#include <gtest/gtest.h>

#include <string>

#include "model/zx_macro.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

std::string format(int code, bool withValues) {
  ZxErr e(code);
  if (withValues) {
    e.setValue("ERROR", "boom");
    e.setValue("VERSION", "7");
    e.setValue("SIZE", "99");
  }
  return str(e.message());
}

TEST(ZxErr, EveryCodeFormatsWithAndWithoutItsValues) {
  struct Case {
    int code;
    const char* withValues;
    const char* withoutValues;  // null: the same text
  };
  const Case cases[] = {
      {1, "unable to establish key exchange", nullptr},
      {2, "openssl error: boom", "openssl error: "},
      {3, "couldn't use nonactive connection", nullptr},
      {4, "unable to compress input data", nullptr},
      {5, "tcp send socket timed out", nullptr},
      {6, "couldn't imprint connection", nullptr},
      {7, "couldn't write compressed length to header", nullptr},
      {8, "couldn't write length to header", nullptr},
      {9, "raw tcp send socket timed out", nullptr},
      {10, "couldn't open udp socket", nullptr},
      {11, "udp bind fail: boom", "udp bind fail: "},
      {12, "unable to resolve host name", nullptr},
      {13, "udp send fail: boom", "udp send fail: "},
      {14, "unable to allocate memory for network connection", nullptr},
      {15, "tcp receive socket timed out", nullptr},
      {16, "blank message", nullptr},
      {17, "tcp receive fail: boom", "tcp receive fail: "},
      {18, "tcp comm version doesn't match - version: 7", "tcp comm version doesn't match - version: "},
      {19, "couldn't read tcp comm length: boom", "couldn't read tcp comm length: "},
      {20, "no data in comm", nullptr},
      {21, "unable to uncompress data", nullptr},
      {22, "openssl tcp send socket timed out", nullptr},
      {23, "openssl tcp receive fail: boom", "openssl tcp receive fail: "},
      {24, "openssl tcp comm version doesn't match - version: 7",
       "openssl tcp comm version doesn't match - version: "},
      {25, "couldn't read openssl tcp comm length: boom", "couldn't read openssl tcp comm length: "},
      {26, "no data in comm", nullptr},
      {27, "couldn't allocate enough memory for udp buffer", nullptr},
      {28, "udp receive socket timed out", nullptr},
      {29, "general error", nullptr},
      {30, "blank message", nullptr},
      {31, "udp comm version doesn't match - version: 7", "udp comm version doesn't match - version: "},
      {32, "host name unspecified", nullptr},
      {33, "unable to set send socket timeout", nullptr},
      {34, "unable to set receive socket timeout", nullptr},
      {35, "unable to connect to host", nullptr},
      {36, "general error", nullptr},
      {37, "unable to connect to host: boom", "unable to connect to host: "},
      {38, "couldn't open tcp socket", nullptr},
      {39, "couldn't locate entry for udp protocol.", nullptr},
      {40, "couldn't locate entry for tcp protocol.", nullptr},
      {42, "tcp send fail: boom", "tcp send fail: "},
      {1039, "select fail: boom", "select fail: "},
      {1040, "problem accepting connection", nullptr},
      {1041, "couldn't open udp socket", nullptr},
      {1042, "unable to determine local host name", nullptr},
      {1043, "couldn't open tcp socket", nullptr},
      {1044, "unable to set send socket timeout", nullptr},
      {1045, "unable to set receive socket timeout", nullptr},
      {1046, "unable to obtain socket info - boom", "unable to obtain socket info - "},
      {1047, "unable to listen on socket", nullptr},
      {1048, "udp bind fail: boom", "udp bind fail: "},
      {1049, "openssl tcp bind fail: boom", "openssl tcp bind fail: "},
      {1050, "tcp bind fail: boom", "tcp bind fail: "},
      {1051, "connection rejected - too many connections", nullptr},
      {2051, "unspecifed error", nullptr},
      {2052, "ERROR: data returned blank", nullptr},
      {2053, "general error", nullptr},
      {2054, "access denied", nullptr},
      {3055, "message invalid", nullptr},
      {3056, "no jobs specifed to submit.", nullptr},
      {3057, "supervisor not accepting jobs.", nullptr},
      {3058, "job submission denied - no authorization.", nullptr},
      {3059, "job submission denied - no password.", nullptr},
      {3060, "job submission denied - boom", "job submission denied - "},
      {3061, "couldn't find host(s).", nullptr},
      {3062, "general error", nullptr},
      {3063, "couldn't find jobs(s).", nullptr},
      {3064, "job submission denied - must be administrator to use elite job flag.", nullptr},
      {3065,
       "log file too large >99 bytes and has been truncated. please refer to job log directory located on "
       "the "
       "supervisor for the entire file.",
       "log file too large > bytes and has been truncated. please refer to job log directory located on the "
       "supervisor for the entire file."},
      {4062, "Unable to launch job.", nullptr},
      {4063, "Job data corrupt.", nullptr},
      {4064, "Worker auto-mount disabled.", nullptr},
      {4065, "Worker unable to satisfy requirements.", nullptr},
      {4066, "Worker no cpus available.", nullptr},
      {4067, "Account doesn't exist.", nullptr},
      {4068, "Worker already processing new job.", nullptr},
      {4069, "job not assigned.", nullptr},
      {4070, "Unable to login to windows.", nullptr},
      {4071, "Drive is already mounted on this host.", nullptr},
      {100000, "boom", ""},
      {100001, "general error", nullptr},
      // Codes without a template, around and between the table's ranges.
      {0, "general error", nullptr},
      {-1, "general error", nullptr},
      {41, "general error", nullptr},
      {1038, "general error", nullptr},
      {4072, "general error", nullptr},
      {99999, "general error", nullptr},
      {100002, "general error", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(format(c.code, true), c.withValues);
    EXPECT_EQ(format(c.code, false), c.withoutValues ? c.withoutValues : c.withValues);
  }
}

TEST(ZxErr, NamedExamples) {
  ZxErr e(17);
  e.setValue("ERROR", "reset by peer");
  EXPECT_EQ(str(e.message()), "tcp receive fail: reset by peer");
  e.setValue("ERROR", "timeout");  // replaces
  EXPECT_EQ(str(e.message()), "tcp receive fail: timeout");
  e.setCode(18);
  e.setValue("VERSION", "3");
  EXPECT_EQ(str(e.message()), "tcp comm version doesn't match - version: 3");
  e.setValue("version", "4");  // names are case-sensitive
  EXPECT_EQ(str(e.message()), "tcp comm version doesn't match - version: 3");
}

bool upperResolver(const ZxString& name, ZxString& out) {
  if (name == "HOST") {
    out = "farm1";
    return true;
  }
  if (name == "LOOP") {
    out = "$LOOP and $(LOOP)";  // refers to itself: must be left as it is
    return true;
  }
  if (name == "NOTHING") {
    out = "ignored";  // answering false: nothing is appended
    return false;
  }
  return false;
}

TEST(ZxMacro, Expansion) {
  ZxMacro m;
  m.setValue("ERROR", "a");
  m.setValue("A_1", "x");
  m.setValue("", "E");  // the empty name is a name like any other
  m.setValue("SELF", "$ERROR");
  struct Case {
    const char* templ;
    const char* expected;
  };
  const Case cases[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"$(ERROR)x", "ax"},
      {"$ERRORx", ""},  // the name is ERRORx, which is missing
      {"$ERROR-x", "a-x"},
      {"[$A_1]", "[x]"},
      {"$A_1$ERROR", "xa"},
      {"$", "E"},        // empty name at the end
      {"$ $", "E E"},    // empty names before a blank and at the end
      {"$(ERROR", "a"},  // no ")": the name runs to the end
      {"$(ERR", ""},     // ... and is missing
      {"$()", "E"},      // empty name in parentheses
      {"$(A_1)$(ERROR)", "xa"},
      {"$(a b)", ""},       // any text up to ")" is a name
      {"$$ERROR", "Ea"},    // "$" then "$ERROR"
      {"$SELF", "$ERROR"},  // substituted text is not scanned again
      {"$MISSING tail", " tail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.templ);
    EXPECT_EQ(str(m.expand(c.templ)), c.expected);
  }
}

TEST(ZxMacro, ResolverIsAskedOnlyForMissingNamesAndExpandsOnce) {
  ZxMacro m;
  m.setValue("HOST", "from-hash");
  m.setResolver(upperResolver);
  EXPECT_EQ(str(m.expand("$HOST")), "from-hash");
  m.clear();
  EXPECT_EQ(str(m.expand("on $HOST.")), "on farm1.");
  EXPECT_EQ(str(m.expand("[$NOTHING]")), "[]");
  EXPECT_EQ(str(m.expand("[$OTHER]")), "[]");
  // A resolver whose output refers to further names is not re-expanded, so
  // expansion ends and its output size is the sum of the pieces.
  EXPECT_EQ(str(m.expand("$LOOP|$(LOOP)")), "$LOOP and $(LOOP)|$LOOP and $(LOOP)");

  // A long template with many references stays linear: one piece per "$".
  ZxString big;
  for (int i = 0; i < 20000; ++i) big.append("$HOST ");
  EXPECT_EQ(m.expand(big).length(), 20000 * 6);
}

TEST(ZxErr, CopiesAreDeepAndIndependent) {
  ZxErr e(3060);
  e.setValue("ERROR", "quota");
  ZxErr copy(e);
  e.setValue("ERROR", "changed");
  e.setCode(1);
  EXPECT_EQ(copy.code(), 3060);
  EXPECT_EQ(str(copy.message()), "job submission denied - quota");
  ZxErr assigned;
  assigned = e;
  EXPECT_EQ(assigned.code(), 1);
  ASSERT_NE(assigned.value("ERROR"), nullptr);
  EXPECT_EQ(str(*assigned.value("ERROR")), "changed");
  assigned = assigned;  // self-assignment keeps everything
  EXPECT_EQ(assigned.values().count(), 1);
}

TEST(ZxErr, BinaryAndTextRoundTrip) {
  ZxErr e(37);
  e.setValue("ERROR", "refused & gone");
  e.setValue("VERSION", "");
  ZxErr fromBinary;
  ASSERT_GT(e.pack(), 4);
  ASSERT_EQ(fromBinary.unpack(e.buffer(), e.used()), ZxPack::kOk);
  EXPECT_EQ(fromBinary.code(), 37);
  EXPECT_EQ(str(fromBinary.message()), "unable to connect to host: refused & gone");
  EXPECT_EQ(fromBinary.values().count(), 2);

  // The text form wraps as a stored file does.
  std::string text = std::string("<pack>\n") + e.toText() + "\n</pack>";
  ZxErr fromText;
  ASSERT_EQ(fromText.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  EXPECT_EQ(fromText.code(), 37);
  EXPECT_EQ(str(fromText.message()), "unable to connect to host: refused & gone");
  EXPECT_NE(text.find("<number>37</number>"), std::string::npos);
  EXPECT_NE(text.find("<values>"), std::string::npos);
  EXPECT_NE(text.find("<object type = 'macro'>"), std::string::npos);
}

TEST(ZxErr, EncodedLayout) {
  // Version word, the code, then the values as a nested macro (class 98)
  // holding a nested string hash (class 56) with its count 0.
  ZxErr e(2);
  ASSERT_EQ(e.pack(), 4 + 8 + 12 + 12 + 8);
  const unsigned char expected[] = {0, 0, 0, 1,                            // version
                                    0, 1, 0, 1, 0, 0, 0, 2,                // number 2
                                    0, 2, 0, 4, 0, 0, 0, 98, 0, 0, 0, 20,  // values: macro, 20 bytes
                                    0, 1, 0, 4, 0, 0, 0, 56, 0, 0, 0, 8,   // value: string hash, 8 bytes
                                    0, 1, 0, 1, 0, 0, 0, 0};               // count 0
  ASSERT_EQ(e.used(), static_cast<int>(sizeof expected));
  EXPECT_EQ(std::string(e.buffer(), e.used()),
            std::string(reinterpret_cast<const char*>(expected), sizeof expected));
}

}  // namespace
