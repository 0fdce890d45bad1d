// Tests of the last error filled from refusal replies: an error record,
// a ZxErr, no content, and contents of other classes, as they arrive from
// the wire.
#include "client/zx_last_error.h"

#include <gtest/gtest.h>

#include <string>

#include "model/zx_err.h"
#include "model/zx_error_record.h"
#include "message/zx_message.h"
#include "model/zx_string_list.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

// The reply as the client sees it: packed by the supervisor, unpacked here.
void receive(ZxMessage& sent, ZxMessage& reply) {
  sent.pack();
  ASSERT_EQ(reply.unpack(sent.buffer(), sent.used()), ZxPack::kOk);
}

TEST(ZxLastError, IsOneProcessWideRecord) {
  EXPECT_EQ(&lastError(), &lastError());
  EXPECT_EQ(lastError().typeId(), 175);
}

TEST(ZxLastError, FilledFromAnErrorRecord) {
  ZxMessage sent(4);
  sent.setContent(new ZxErrorRecord("boom"));
  ASSERT_EQ(sent.contentType(), 52);
  ZxMessage reply;
  receive(sent, reply);
  lastError() = ZxErr(17);
  fillLastErrorFromReply(reply);
  EXPECT_EQ(lastError().code(), 100000);
  EXPECT_EQ(str(lastError().message()), "boom");
  ZxErr shown(lastError());  // as the commands show it
  EXPECT_EQ(str(shown.message()), "boom");
}

TEST(ZxLastError, FilledFromAZxErr) {
  ZxErr* sentErr = new ZxErr(3060);
  sentErr->setValue("ERROR", "quota exceeded");
  sentErr->setValue("SIZE", "12");
  ZxMessage sent(3);
  sent.setContent(sentErr);
  ZxMessage reply;
  receive(sent, reply);
  lastError() = ZxErr(1);
  fillLastErrorFromReply(reply);
  EXPECT_EQ(lastError().code(), 3060);
  EXPECT_EQ(lastError().values().count(), 2);
  EXPECT_EQ(str(lastError().message()), "job submission denied - quota exceeded");
}

TEST(ZxLastError, WithoutUsableContentTheCodeIsUnspecified) {
  struct Case {
    const char* name;
    ZxPack* content;   // given to the sent message
    int declaredType;  // content_type the sender writes
  };
  const Case cases[] = {
      {"no content", nullptr, 0},
      {"no content, type 52 declared", nullptr, 52},
      {"no content, type 175 declared", nullptr, 175},
      {"a string list declared as an error record", new ZxStringList, 52},
      {"a string list declared as a ZxErr", new ZxStringList, 175},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZxMessage sent(4);
    sent.setContent(c.content);
    sent.setContentType(c.declaredType);
    ZxMessage reply;
    receive(sent, reply);
    lastError() = ZxErr(17);
    lastError().setValue("ERROR", "old");
    fillLastErrorFromReply(reply);
    EXPECT_EQ(lastError().code(), 2051);
    EXPECT_EQ(str(lastError().message()), "unspecifed error");
  }
}

TEST(ZxLastError, TheContentsOwnClassDecides) {
  // An error record declared under another type is still read as one.
  ZxMessage sent(4);
  sent.setContent(new ZxErrorRecord("queue closed"));
  sent.setContentType(175);
  ZxMessage reply;
  receive(sent, reply);
  ZxErr target;
  fillErrorFromReply(target, reply);
  EXPECT_EQ(target.code(), 100000);
  EXPECT_EQ(str(target.message()), "queue closed");

  // A reply that carries the target itself changes nothing.
  ZxMessage lent;
  ZxErr own(2054);
  lent.setContent(&own);
  fillErrorFromReply(own, lent);
  lent.setContent(nullptr);
  EXPECT_EQ(own.code(), 2054);
}

}  // namespace
