// ZxMessage (class 7, "message"): the envelope of every exchange with the
// supervisor. It says who sends it (user, domain, network card address,
// queue domain and region), what it is (the tag: the request code in a
// request, a status in a reply), which protocol version the sender speaks,
// and carries one optional content object of any packable class.
//
// Binary form, in this order: tag (1, int), user (2, string), domain (5,
// string), mac_address (6, nested), content_type (4, int), content (3,
// nested, only when there is one), version (7, int), zexa_domain (8,
// string), zexa_region (9, string). The text form writes the same fields
// in the same order under those names. The content's class comes from the
// class number in the bytes: decoding recreates it through the class
// registry; content_type is only what the sender declared.
//
// The sender address is not encoded: the transport stores there the
// address a received message came from. Copying does not copy it.
//
// Ownership: the message owns its content. Destruction, decoding a new
// content and copying another message in release the current content.
// setContent() stores the pointer without releasing the previous one, so a
// caller can lend an object of its own and take it back with
// setContent(nullptr) (or takeContent()) before the message goes away.
//
// Copying: every field except the content is copied; the copy's content is
// a fresh, empty object of the source's content_type (not a copy of the
// source's content), and the line "ERROR: using message copy" is logged.
#pragma once

#include "model/zx_address.h"
#include "model/zx_mac_address.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxMessage : public ZxPack {
 public:
  static constexpr int kClassNumber = 7;
  // The message protocol version this system speaks.
  static constexpr int kProtocolVersion = 530;

  ZxMessage() = default;
  explicit ZxMessage(int tag) : tag_(tag) {}
  ZxMessage(const ZxMessage& other);
  ZxMessage& operator=(const ZxMessage& other);
  ~ZxMessage() override;

  int typeId() const override { return kClassNumber; }
  void encodeFields() override;
  void decodeField() override;
  const char* typeName() const override { return "message"; }
  void encodeTextFields() override;
  void decodeTextFields() override;
  // Reads the content field `id` into `slot`: the class number picks the
  // class through the registry; the previous content of `slot` is
  // released. An unknown class, a class that does not answer its number or
  // a bad count leaves `slot` null and drops the rest of the message body.
  virtual void decodeContent(int id, ZxPack*& slot);

  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  const ZxString& user() const { return user_; }
  void setUser(const ZxString& user) { user_ = user; }
  const ZxString& domain() const { return domain_; }
  void setDomain(const ZxString& domain) { domain_ = domain; }
  const ZxMacAddress& macAddress() const { return macAddress_; }
  ZxMacAddress& macAddress() { return macAddress_; }
  void setMacAddress(const ZxMacAddress& address) { macAddress_ = address; }
  int contentType() const { return contentType_; }
  void setContentType(int type) { contentType_ = type; }
  int version() const { return version_; }
  void setVersion(int version) { version_ = version; }
  const ZxString& zexaDomain() const { return zexaDomain_; }
  void setZexaDomain(const ZxString& domain) { zexaDomain_ = domain; }
  const ZxString& zexaRegion() const { return zexaRegion_; }
  void setZexaRegion(const ZxString& region) { zexaRegion_ = region; }

  // The content, or null; the message keeps ownership. Check its typeId()
  // against contentType() before casting.
  ZxPack* content() const { return content_; }
  // Stores `object` as the content WITHOUT releasing the current one; a
  // non-null object also sets content_type to its class number (null
  // leaves content_type as it was). The message then owns `object` unless
  // the caller takes it back.
  void setContent(ZxPack* object);
  // Hands the content to the caller (who then owns it) and leaves null.
  ZxPack* takeContent();
  // Destroys the content and leaves null. A content of a class that the
  // registry cannot create is logged as "ERROR: possible memory leak in
  // message module" (it did not come from a decoder) but still destroyed.
  void releaseContent();

  // The address a received message came from; unset after construction.
  const ZxAddress& senderAddress() const { return sender_; }
  void setSenderAddress(const ZxAddress& address) { sender_ = address; }

 private:
  int tag_ = 0;
  ZxString user_;
  ZxString domain_;
  ZxMacAddress macAddress_;
  int contentType_ = 0;
  ZxPack* content_ = nullptr;
  int version_ = kProtocolVersion;
  ZxString zexaDomain_;
  ZxString zexaRegion_;
  ZxAddress sender_;
};
