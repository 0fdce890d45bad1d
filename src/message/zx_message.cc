// ZxMessage: the envelope's fields, content decoding through the class
// registry, and the copy and release rules.
#include "message/zx_message.h"

#include "message/zx_class_registry.h"
#include "util/zx_log.h"

namespace {
// Destroys `object` and clears the pointer. Every class that the registry
// creates is one that decoding may have put into a message; anything else
// was lent by a caller who forgot to take it back, which is worth a line
// in the log. The object is destroyed all the same: the message owns its
// content, and every ZxPack has a virtual destructor.
void releaseObject(ZxPack*& object) {
  if (!object) return;
  if (!isRegisteredClass(object->typeId())) ZxLogLine::error() << "possible memory leak in message module";
  delete object;
  object = nullptr;
}
}  // namespace

ZxMessage::ZxMessage(const ZxMessage& other) : ZxPack(other) { *this = other; }

ZxMessage& ZxMessage::operator=(const ZxMessage& other) {
  if (this == &other) return *this;
  tag_ = other.tag_;
  user_ = other.user_;
  domain_ = other.domain_;
  zexaDomain_ = other.zexaDomain_;
  zexaRegion_ = other.zexaRegion_;
  contentType_ = other.contentType_;
  macAddress_ = other.macAddress_;
  version_ = other.version_;
  releaseContent();
  if (other.content_) {
    // Contents are not copied: the copy gets an empty object of the
    // declared class, and the log says that a message was copied.
    ZxLogLine::error() << "using message copy";
    content_ = createObject(contentType_);
  }
  return *this;
}

ZxMessage::~ZxMessage() { releaseContent(); }

void ZxMessage::setContent(ZxPack* object) {
  content_ = object;
  if (object) contentType_ = object->typeId();
}

ZxPack* ZxMessage::takeContent() {
  ZxPack* object = content_;
  content_ = nullptr;
  return object;
}

void ZxMessage::releaseContent() { releaseObject(content_); }

void ZxMessage::encodeFields() {
  putInt(1, tag_);
  putString(2, user_);
  putString(5, domain_);
  putObject(6, macAddress_);
  putInt(4, contentType_);
  if (content_) putObject(3, *content_);
  putInt(7, version_);
  putString(8, zexaDomain_);
  putString(9, zexaRegion_);
}

void ZxMessage::decodeField() {
  getInt(1, tag_);
  getString(2, user_);
  getString(5, domain_);
  getObject(6, macAddress_);
  getInt(4, contentType_);
  decodeContent(3, content_);
  getInt(7, version_);
  getString(8, zexaDomain_);
  getString(9, zexaRegion_);
}

void ZxMessage::decodeContent(int id, ZxPack*& slot) {
  if (fieldTaken() || fieldId() != id || fieldType() != kTypeObject) return;
  int32_t classNumber = 0;
  if (!takeRawInt(classNumber)) return;  // the rest is dropped
  releaseObject(slot);
  ZxPack* object = createObject(classNumber);
  if (!object) return discardRest();
  if (object->typeId() != classNumber) {
    delete object;
    return discardRest();
  }
  // A negative count, a count beyond the bytes left, or nesting beyond the
  // decoder's bound drops the rest; the half-made object goes with it.
  int32_t n = 0;
  if (!takeRawInt(n) || !decodeNested(*object, n)) {
    delete object;
    return;
  }
  slot = object;
}

void ZxMessage::encodeTextFields() {
  putTextInt("tag", tag_);
  putTextString("user", user_);
  putTextString("domain", domain_);
  putTextObject("mac_address", macAddress_);
  putTextInt("content_type", contentType_);
  if (content_) putTextObject("content", *content_);
  putTextInt("version", version_);
  putTextString("zexa_domain", zexaDomain_);
  putTextString("zexa_region", zexaRegion_);
}

// The text form names no class that could be recreated, so a content is
// read only into an object the message already holds.
void ZxMessage::decodeTextFields() {
  getTextInt("tag", tag_);
  getTextString("user", user_);
  getTextString("domain", domain_);
  getTextObject("mac_address", macAddress_);
  getTextInt("content_type", contentType_);
  if (content_) getTextObject("content", *content_);
  getTextInt("version", version_);
  getTextString("zexa_domain", zexaDomain_);
  getTextString("zexa_region", zexaRegion_);
}
