// The network adapters' hardware addresses, behind a small interface that
// each platform fills in (here: getifaddrs with its link-layer entries).
//
// The address a client stamps into its requests is picked from the
// adapters the system lists by one rule (pickHardwareAddress): the last
// adapter, in the system's order, that is not a loopback adapter and whose
// six address bytes are not all zero. It is written as six pairs of
// upper-case hexadecimal digits joined with ":"; no such adapter gives "".
#pragma once

#include <vector>

#include "util/zx_string.h"

namespace zxos {

struct HardwareAdapter {
  unsigned char address[6] = {0, 0, 0, 0, 0, 0};
  bool loopback = false;
};

// Appends every adapter that has a six-byte hardware address, in the order
// the system lists them. Nothing when the list cannot be read.
void listHardwareAdapters(std::vector<HardwareAdapter>& out);

// The address the rule above picks from `adapters`; "" when none fits.
ZxString pickHardwareAddress(const std::vector<HardwareAdapter>& adapters);

// pickHardwareAddress() of this machine's adapters.
ZxString hardwareAddress();

}  // namespace zxos
