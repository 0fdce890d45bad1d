// ZxRequest: a request message that borrows its content from the caller.
//
// The client operations send records their callers own (a job list, a
// query, a command). A message owns its content and would destroy it, so
// the request lends the record to its message for the exchange and takes
// it back when the request goes out of scope, on every path: the caller's
// record always survives the message.
#pragma once

#include "message/zx_message.h"
#include "serial/zx_pack.h"

class ZxRequest {
 public:
  // A message with `tag` whose content is `content` (null: no content),
  // which stays the caller's.
  ZxRequest(int tag, ZxPack* content) : message_(tag) { message_.setContent(content); }
  ZxRequest(const ZxRequest&) = delete;
  ZxRequest& operator=(const ZxRequest&) = delete;
  ~ZxRequest() { message_.setContent(nullptr); }

  ZxMessage& message() { return message_; }

 private:
  ZxMessage message_;
};
