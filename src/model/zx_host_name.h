// ZxHostName: a host named in a command result (class 63, "host_name"):
// its name, port and number; ZxHostNameList (class 64, "host_name_list").
//
// A host name owns its text by value; the list owns its items.
#pragma once

#include "model/zx_list.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxHostName : public ZxPack {
 public:
  // Name "", port 0 (none), number -1 (unset).
  ZxHostName() = default;
  ZxHostName(const ZxString& host, int port, int id) : host_(host), port_(port), id_(id) {}
  ZxHostName(const ZxHostName&) = default;
  ZxHostName& operator=(const ZxHostName&) = default;
  ~ZxHostName() override = default;

  int typeId() const override { return 63; }
  const char* typeName() const override { return "host_name"; }

  const ZxString& host() const { return host_; }
  void setHost(const ZxString& v) { host_ = v; }
  int port() const { return port_; }
  void setPort(int v) { port_ = v; }
  int id() const { return id_; }
  void setId(int v) { id_ = v; }

  void encodeFields() override {
    putString(1, host_);
    putInt(2, port_);
    putInt(3, id_);
  }
  void decodeField() override {
    getString(1, host_);
    getInt(2, port_);
    getInt(3, id_);
  }
  void encodeTextFields() override {
    putTextString("host", host_);
    putTextInt("port", port_);
    putTextInt("id", id_);
  }
  void decodeTextFields() override {
    getTextString("host", host_);
    getTextInt("port", port_);
    getTextInt("id", id_);
  }

 private:
  ZxString host_;
  int port_ = 0;
  int id_ = -1;
};

class ZxHostNameList : public ZxList<ZxHostName> {
 public:
  int typeId() const override { return 64; }
  const char* typeName() const override { return "host_name_list"; }
};
