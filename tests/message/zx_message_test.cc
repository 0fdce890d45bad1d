// Tests of ZxMessage: its encoded layout, contents recreated through the
// class registry, the damaged and unknown contents that leave the content
// null, and the ownership and copy rules.
#include "message/zx_message.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "model/zx_err.h"
#include "model/zx_error_record.h"
#include "model/zx_job.h"
#include "model/zx_job_id.h"
#include "model/zx_result.h"
#include "model/zx_server_records.h"
#include "model/zx_status.h"
#include "message/zx_class_registry.h"
#include "serial/zx_log_capture.h"
#include "model/zx_string_list.h"

namespace {

// Hand-built binary forms.
struct Bytes {
  std::string s;
  Bytes& be16(uint16_t v) {
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v);
    return *this;
  }
  Bytes& be32(uint32_t v) {
    be16(static_cast<uint16_t>(v >> 16));
    return be16(static_cast<uint16_t>(v));
  }
  Bytes& header(int id, int type) {
    return be16(static_cast<uint16_t>(id)).be16(static_cast<uint16_t>(type));
  }
  Bytes& intField(int id, int32_t v) { return header(id, 1).be32(static_cast<uint32_t>(v)); }
  Bytes& stringField(int id, const std::string& text) {
    header(id, 3).be32(static_cast<uint32_t>(text.size()));
    s += text;
    return *this;
  }
  // A nested object field with an explicit class number and count.
  Bytes& objectField(int id, int32_t classNumber, int32_t count, const std::string& body) {
    header(id, 4).be32(static_cast<uint32_t>(classNumber)).be32(static_cast<uint32_t>(count));
    s += body;
    return *this;
  }
  Bytes& objectField(int id, int32_t classNumber, const std::string& body) {
    return objectField(id, classNumber, static_cast<int32_t>(body.size()), body);
  }
  Bytes& raw(const std::string& more) {
    s += more;
    return *this;
  }
};

std::string packed(ZxPack& p) {
  p.pack();
  return std::string(p.buffer(), p.used());
}

// The fields of a default message up to (and without) the content field.
Bytes defaultHead() {
  Bytes b;
  b.be32(1).intField(1, 0).stringField(2, "").stringField(5, "");
  b.objectField(6, 155, Bytes().stringField(1, "").s);
  b.intField(4, 0);
  return b;
}

TEST(ZxMessage, DefaultLayout) {
  ZxMessage m;
  EXPECT_EQ(m.tag(), 0);
  EXPECT_EQ(m.version(), 530);
  EXPECT_EQ(m.contentType(), 0);
  EXPECT_EQ(m.content(), nullptr);
  EXPECT_TRUE(m.senderAddress().isNotSet());
  EXPECT_EQ(ZxMessage(401).tag(), 401);
  EXPECT_EQ(ZxMessage(401).version(), 530);
  EXPECT_STREQ(m.typeName(), "message");
  EXPECT_EQ(m.typeId(), 7);

  Bytes expected = defaultHead();
  expected.intField(7, 530).stringField(8, "").stringField(9, "");
  EXPECT_EQ(packed(m), expected.s);
}

TEST(ZxMessage, FieldsAndContentRoundTrip) {
  ZxMessage m(200);
  m.setUser("ann");
  m.setDomain("studio");
  m.setMacAddress(ZxMacAddress("0:1a:2b:3c:4d:5e"));
  m.setZexaDomain("north");
  m.setZexaRegion("eu");
  ZxStringList* names = new ZxStringList;
  names->add("alpha");
  names->add("");
  names->add("g&mma");
  m.setContent(names);
  EXPECT_EQ(m.contentType(), 55);
  const std::string bytes = packed(m);

  ZxMessage back;
  ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(back.tag(), 200);
  EXPECT_EQ(back.user(), "ann");
  EXPECT_EQ(back.domain(), "studio");
  EXPECT_EQ(back.macAddress().value(), "00:1A:2B:3C:4D:5E");
  EXPECT_EQ(back.zexaDomain(), "north");
  EXPECT_EQ(back.zexaRegion(), "eu");
  EXPECT_EQ(back.version(), 530);
  EXPECT_EQ(back.contentType(), 55);
  ASSERT_NE(back.content(), nullptr);
  ASSERT_EQ(back.content()->typeId(), 55);
  const ZxStringList* got = static_cast<const ZxStringList*>(back.content());
  ASSERT_EQ(got->count(), 3);
  EXPECT_EQ(*got->get(0), "alpha");
  EXPECT_EQ(*got->get(2), "g&mma");
  EXPECT_TRUE(back.senderAddress().isNotSet());  // never encoded
  EXPECT_EQ(packed(back), bytes);

  // The text form carries the same fields; its content is read only into
  // an object the message already holds.
  std::string text = std::string("<pack>\n") + m.toText() + "\n</pack>";
  ZxMessage fromText;
  fromText.setContent(new ZxStringList);
  ASSERT_EQ(fromText.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  EXPECT_EQ(fromText.tag(), 200);
  EXPECT_EQ(fromText.macAddress().value(), "00:1A:2B:3C:4D:5E");
  EXPECT_EQ(fromText.zexaRegion(), "eu");
  ASSERT_NE(fromText.content(), nullptr);
  EXPECT_EQ(static_cast<ZxStringList*>(fromText.content())->count(), 3);
  ZxMessage noContent;
  ASSERT_EQ(noContent.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  EXPECT_EQ(noContent.content(), nullptr);
  EXPECT_EQ(noContent.contentType(), 55);
  EXPECT_EQ(noContent.user(), "ann");
}

// A job with a value in every kind of field, nested records and lists.
ZxJob* fullJob(int id) {
  ZxJob* job = new ZxJob;
  job->setId(id);
  job->setPid(id * 10);
  job->setPriority(900 + id);
  job->setPgrp(7);
  job->setUser("ann");
  job->setDomain("studio");
  job->setName(id == 1 ? "shot & comp" : "lighting");
  job->setCluster("/farm");
  job->setRequirements("host.os == \"linux\"");
  job->setHosts("render01,render02");
  job->setData("{frames = (1-10)}");
  job->setKind("maya");
  job->setStatus(ZxStatus("running"));
  job->setTodo(10);
  job->cpusTally().setRunning(2);
  job->todoTally().setComplete(3);
  job->timeSubmit().setValue(123456);
  job->setRetrySubjob(2);
  ZxSubjob* sub = new ZxSubjob;
  sub->setId(1);
  sub->setHost("render01");
  sub->setAddress(ZxAddress(0x7F000001u));
  sub->setMacAddress(ZxMacAddress("0:1a:2b:3c:4d:5e"));
  sub->setStatus(ZxStatus("complete"));
  job->subjobs().append(sub);
  for (int i = 0; i < 3; ++i) {
    ZxWork* work = new ZxWork;
    work->setName(ZxString(i + 1));
    work->setId(i);
    work->setStatus(ZxStatus("pending"));
    job->agenda().append(work);
  }
  ZxCallback* cb = new ZxCallback;
  cb->setId(4);
  cb->setCode("print done");
  cb->setTriggers("done-job");
  job->callbacks().append(cb);
  ZxVariable* var = new ZxVariable;
  var->setName("SCENE");
  job->variables().append(var);
  ZxJob* child = new ZxJob;
  child->setId(id * 100);
  child->setName("child");
  job->children().append(child);
  return job;
}

TEST(ZxMessage, JobListOfTwoFullJobsRoundTrips) {
  ZxJobList* jobs = new ZxJobList;
  jobs->append(fullJob(1));
  jobs->append(fullJob(2));
  const std::string listBytes = packed(*jobs);
  ZxMessage m(200);
  m.setContent(jobs);
  EXPECT_EQ(m.contentType(), 5);
  const std::string bytes = packed(m);

  ZxMessage back;
  ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  ASSERT_NE(back.content(), nullptr);
  ASSERT_EQ(back.content()->typeId(), 5);
  ZxJobList* got = static_cast<ZxJobList*>(back.content());
  ASSERT_EQ(got->count(), 2);
  EXPECT_EQ(got->get(0)->name(), "shot & comp");
  EXPECT_EQ(got->get(1)->id(), 2);
  EXPECT_EQ(got->get(1)->agenda().count(), 3);
  EXPECT_EQ(got->get(0)->subjobs().get(0)->host(), "render01");
  EXPECT_EQ(got->get(0)->children().get(0)->id(), 100);
  EXPECT_EQ(packed(*got), listBytes);  // every field came back
  EXPECT_EQ(back.version(), 530);
}

TEST(ZxMessage, CorruptedBytesDecodeSafely) {
  // Every byte of a message holding an error record (a macro and a hash
  // nested in it), replaced in turn by values that make counts negative,
  // huge or zero, class numbers unknown and type codes invalid.
  ZxErr* err = new ZxErr(37);
  err->setValue("ERROR", "refused");
  err->setValue("HOST", "render01");
  ZxMessage m(4);
  m.setUser("ann");
  m.setContent(err);
  const std::string bytes = packed(m);
  const unsigned char replacements[] = {0x00, 0x05, 0x7F, 0x80, 0xFF};
  for (size_t i = 4; i < bytes.size(); ++i) {
    for (unsigned char r : replacements) {
      std::string bad = bytes;
      if (static_cast<unsigned char>(bad[i]) == r) continue;
      bad[i] = static_cast<char>(r);
      ZxMessage back;
      EXPECT_EQ(back.unpack(bad.data(), static_cast<int>(bad.size())), ZxPack::kOk);
      if (back.content()) back.pack();  // whatever was read encodes again
    }
  }
}

TEST(ZxMessage, CommandResultWithItsErrorRoundTrips) {
  ZxResult* result = new ZxResult;
  result->jobIdList().append(new ZxJobId(12));
  result->jobIdList().append(new ZxJobId(13, 2));
  result->error().setCode(3061);
  result->error().setValue("ERROR", "x");
  ZxMessage m(1);
  m.setContent(result);
  const std::string bytes = packed(m);
  ZxMessage back;
  ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  ASSERT_NE(back.content(), nullptr);
  ASSERT_EQ(back.content()->typeId(), back.contentType());
  const ZxResult* got = static_cast<const ZxResult*>(back.content());
  ASSERT_EQ(got->jobIdList().count(), 2);
  EXPECT_EQ(got->jobIdList().get(1)->id(), 13);
  EXPECT_EQ(got->error().code(), 3061);
  EXPECT_EQ(got->error().message(), "couldn't find host(s).");
}

TEST(ZxMessage, EveryRegisteredClassRoundTripsAsContent) {
  for (int n : registeredClassNumbers()) {
    SCOPED_TRACE(n);
    ZxMessage m(1);
    ZxPack* content = createObject(n);
    ASSERT_NE(content, nullptr);
    m.setContent(content);
    const std::string contentBytes = packed(*content);
    const std::string bytes = packed(m);
    ZxMessage back;
    ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
    ASSERT_NE(back.content(), nullptr);
    EXPECT_EQ(back.content()->typeId(), n);
    EXPECT_EQ(back.contentType(), n);
    EXPECT_EQ(packed(*back.content()), contentBytes);
    EXPECT_EQ(back.version(), 530);  // the fields after the content are read
  }
}

TEST(ZxMessage, ContentClassComesFromTheBytesNotFromContentType) {
  ZxMessage m;
  m.setContent(new ZxErr(17));
  m.setContentType(99);  // what the sender declared
  const std::string bytes = packed(m);
  ZxMessage back;
  ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(back.contentType(), 99);
  ASSERT_NE(back.content(), nullptr);
  ASSERT_EQ(back.content()->typeId(), 175);
  EXPECT_EQ(static_cast<ZxErr*>(back.content())->code(), 17);
}

TEST(ZxMessage, BadContentsLeaveTheContentNullAndDropTheRest) {
  const std::string errBody = Bytes().intField(1, 5).s;
  struct Case {
    const char* name;
    std::string tail;  // what follows the content_type field
    const char* log;   // expected log text
    bool last;         // the body ends inside the content field
  };
  const Case cases[] = {
      {"unregistered class 7", Bytes().objectField(3, 7, errBody).s,
       "trying to decode unregistered class: 7\n", false},
      {"unregistered class 2", Bytes().objectField(3, 2, errBody).s,
       "trying to decode unregistered class: 2\n", false},
      {"negative class", Bytes().objectField(3, -3, errBody).s, "trying to decode unregistered class: -3\n",
       false},
      {"negative count", Bytes().objectField(3, 175, -1, errBody).s, "", false},
      {"count beyond the bytes left", Bytes().objectField(3, 175, 1000, errBody).s, "", false},
      {"count cut short", Bytes().header(3, 4).be32(175).be16(0).s, "", true},
      // Too short to name a class: nothing is replaced, the earlier content stays.
      {"class number cut short", Bytes().header(3, 4).be16(0).s, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = defaultHead();
    b.raw(c.tail);
    if (!c.last) b.intField(7, 600).stringField(8, "late").stringField(9, "late");
    ZxLogCapture log;
    ZxMessage back;
    back.setContent(new ZxErr(1));  // a content from an earlier decode
    ASSERT_EQ(back.unpack(b.s.data(), static_cast<int>(b.s.size())), ZxPack::kOk);
    if (std::string(c.name) == "class number cut short") {
      ASSERT_NE(back.content(), nullptr);
      EXPECT_EQ(static_cast<ZxErr*>(back.content())->code(), 1);
    } else {
      EXPECT_EQ(back.content(), nullptr);
    }
    EXPECT_EQ(back.version(), 530);  // every field after the content keeps its default
    EXPECT_EQ(back.zexaDomain(), "");
    EXPECT_EQ(back.zexaRegion(), "");
    EXPECT_EQ(log.text(), c.log);
  }

  // A content field whose type is not "object" is skipped like any unknown
  // field, and the fields after it are read.
  Bytes b = defaultHead();
  b.intField(3, 175).intField(7, 600);
  ZxMessage back;
  ASSERT_EQ(back.unpack(b.s.data(), static_cast<int>(b.s.size())), ZxPack::kOk);
  EXPECT_EQ(back.content(), nullptr);
  EXPECT_EQ(back.version(), 600);
}

TEST(ZxMessage, DamageInsideTheContentStaysInsideIt) {
  // The content's own damaged field ends the content only: a nested object
  // of the wrong class inside the error record drops the rest of the record,
  // and the message reads on.
  std::string errBody =
      Bytes().intField(1, 18).objectField(2, 55, Bytes().intField(1, 0).s).intField(1, 99).s;
  Bytes b = defaultHead();
  b.objectField(3, 175, errBody).intField(7, 600).stringField(8, "d");
  ZxMessage back;
  ASSERT_EQ(back.unpack(b.s.data(), static_cast<int>(b.s.size())), ZxPack::kOk);
  ASSERT_NE(back.content(), nullptr);
  EXPECT_EQ(static_cast<ZxErr*>(back.content())->code(), 18);
  EXPECT_EQ(back.version(), 600);
  EXPECT_EQ(back.zexaDomain(), "d");

  // Records nested far beyond the decoder's bound inside a content are
  // followed up to the bound; the message around them is read in full.
  std::string deep;
  for (int i = 0; i < 500; ++i) deep = Bytes().objectField(1, 9, deep).s;
  Bytes d = defaultHead();
  d.objectField(3, 9, deep).intField(7, 601);
  ZxMessage deepBack;
  ASSERT_EQ(deepBack.unpack(d.s.data(), static_cast<int>(d.s.size())), ZxPack::kOk);
  ASSERT_NE(deepBack.content(), nullptr);
  EXPECT_EQ(deepBack.content()->typeId(), 9);
  EXPECT_EQ(deepBack.version(), 601);
}

TEST(ZxMessage, EveryTruncatedPrefixDecodesSafely) {
  ZxMessage m(3);
  m.setUser("u");
  ZxErr* err = new ZxErr(37);
  err->setValue("ERROR", "refused");
  m.setContent(err);
  m.setZexaRegion("r");
  const std::string bytes = packed(m);
  for (size_t n = 0; n < bytes.size(); ++n) {
    ZxMessage back;
    int result = back.unpack(bytes.data(), static_cast<int>(n));
    EXPECT_EQ(result, n < 4 ? ZxPack::kTooShort : n == 4 ? ZxPack::kNoFields : ZxPack::kOk) << n;
    EXPECT_NE(back.zexaRegion(), "r") << n;  // the last field never arrives whole
    if (back.content()) {
      EXPECT_EQ(back.content()->typeId(), 175) << n;
    }
  }
}

TEST(ZxMessage, SetContentStoresWithoutReleasing) {
  ZxMessage m;
  ZxJobId lent;  // a caller's own object, lent and taken back
  m.setContent(&lent);
  EXPECT_EQ(m.contentType(), 19);
  EXPECT_EQ(m.content(), &lent);
  m.setContent(nullptr);
  EXPECT_EQ(m.contentType(), 19);  // null keeps the declared type
  EXPECT_EQ(m.content(), nullptr);

  ZxStatus status(16);
  m.setContent(&status);
  EXPECT_EQ(m.contentType(), 2);
  std::unique_ptr<ZxPack> owned(new ZxStringList);
  ZxPack* raw = owned.get();
  m.setContent(owned.release());  // the status is not released by this
  EXPECT_EQ(status.code(), 16);
  EXPECT_EQ(m.takeContent(), raw);
  EXPECT_EQ(m.content(), nullptr);
  delete raw;
}

TEST(ZxMessage, DecodingANewContentReleasesTheOldOne) {
  ZxMessage sender;
  sender.setContent(new ZxErrorRecord("queue closed"));
  const std::string bytes = packed(sender);
  ZxMessage m;
  m.setContent(new ZxStringList);  // released by the decoder (the leak checker sees it otherwise)
  ASSERT_EQ(m.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  ASSERT_NE(m.content(), nullptr);
  ASSERT_EQ(m.content()->typeId(), 52);
  EXPECT_EQ(static_cast<ZxErrorRecord*>(m.content())->text(), "queue closed");
  ASSERT_EQ(m.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);  // and again
  EXPECT_EQ(static_cast<ZxErrorRecord*>(m.content())->text(), "queue closed");
}

TEST(ZxMessage, ReleasingAnUnregisteredClassIsLoggedAndStillDestroys) {
  ZxLogCapture log;
  {
    ZxMessage m;
    m.setContent(new ZxStatus(16));  // class 2: no decoder makes these
    m.releaseContent();
    EXPECT_EQ(m.content(), nullptr);
    m.setContent(new ZxErr(3));  // registered: released silently on destruction
  }
  EXPECT_EQ(log.text(), "ERROR: possible memory leak in message module\n");
}

TEST(ZxMessage, CopiesGetAnEmptyContentOfTheDeclaredClass) {
  ZxMessage m(200);
  m.setUser("ann");
  m.setDomain("studio");
  m.setMacAddress(ZxMacAddress("aa:bb:cc:dd:ee:ff"));
  m.setZexaDomain("north");
  m.setZexaRegion("eu");
  m.setVersion(531);
  m.setSenderAddress(ZxAddress(0x7F000001u));
  ZxStringList* names = new ZxStringList;
  names->add("alpha");
  m.setContent(names);

  ZxLogCapture log;
  ZxMessage copy(m);
  EXPECT_EQ(log.text(), "ERROR: using message copy\n");
  EXPECT_EQ(copy.tag(), 200);
  EXPECT_EQ(copy.user(), "ann");
  EXPECT_EQ(copy.domain(), "studio");
  EXPECT_EQ(copy.macAddress().value(), "AA:BB:CC:DD:EE:FF");
  EXPECT_EQ(copy.zexaDomain(), "north");
  EXPECT_EQ(copy.zexaRegion(), "eu");
  EXPECT_EQ(copy.version(), 531);
  EXPECT_EQ(copy.contentType(), 55);
  EXPECT_TRUE(copy.senderAddress().isNotSet());
  ASSERT_NE(copy.content(), nullptr);
  EXPECT_NE(copy.content(), m.content());
  ASSERT_EQ(copy.content()->typeId(), 55);
  EXPECT_EQ(static_cast<ZxStringList*>(copy.content())->count(), 0);

  // Assignment releases the target's content first; a source without
  // content leaves the target without one, and nothing is logged.
  ZxLogCapture quiet;
  ZxMessage plain(9);
  copy = plain;
  EXPECT_EQ(copy.content(), nullptr);
  EXPECT_EQ(copy.tag(), 9);
  EXPECT_EQ(copy.contentType(), 0);
  copy = copy;  // self-assignment changes nothing
  EXPECT_EQ(copy.tag(), 9);
  EXPECT_EQ(quiet.text(), "");

  // A declared class the registry cannot create gives no content.
  ZxLogCapture unregistered;
  m.setContentType(7);
  ZxMessage second;
  second = m;
  EXPECT_EQ(second.content(), nullptr);
  EXPECT_EQ(second.contentType(), 7);
  EXPECT_EQ(unregistered.text(), "ERROR: using message copy\ntrying to decode unregistered class: 7\n");
}

}  // namespace
