// Hardware addresses from getifaddrs: the link-layer entries (AF_PACKET on
// Linux, AF_LINK on the BSDs and macOS).
#include "os/zx_os_adapters.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#if defined(__linux__)
#include <net/if_arp.h>
#include <netpacket/packet.h>
#elif defined(AF_LINK)
#include <net/if_dl.h>
#endif

#include <cstring>

namespace zxos {

void listHardwareAdapters(std::vector<HardwareAdapter>& out) {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return;
  // Freed however the loop ends: growing `out` throws when memory runs out.
  struct Release {
    ifaddrs* list;
    ~Release() { ::freeifaddrs(list); }
  } release{list};
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr) continue;
    HardwareAdapter adapter;
    adapter.loopback = (i->ifa_flags & IFF_LOOPBACK) != 0;
#if defined(__linux__)
    if (i->ifa_addr->sa_family != AF_PACKET) continue;
    const sockaddr_ll* link = reinterpret_cast<const sockaddr_ll*>(i->ifa_addr);
    if (link->sll_halen != 6) continue;
    if (link->sll_hatype == ARPHRD_LOOPBACK) adapter.loopback = true;
    std::memcpy(adapter.address, link->sll_addr, 6);
#elif defined(AF_LINK)
    if (i->ifa_addr->sa_family != AF_LINK) continue;
    const sockaddr_dl* link = reinterpret_cast<const sockaddr_dl*>(i->ifa_addr);
    if (link->sdl_alen != 6) continue;
    std::memcpy(adapter.address, LLADDR(link), 6);
#else
    continue;
#endif
    out.push_back(adapter);
  }
}

ZxString pickHardwareAddress(const std::vector<HardwareAdapter>& adapters) {
  const HardwareAdapter* chosen = nullptr;
  for (const HardwareAdapter& a : adapters) {
    if (a.loopback) continue;
    bool zero = true;
    for (unsigned char b : a.address) zero = zero && b == 0;
    if (!zero) chosen = &a;
  }
  ZxString text;
  if (!chosen) return text;
  for (int i = 0; i < 6; ++i) {
    if (i > 0) text.append(':');
    text.appendHexByte(chosen->address[i]);
  }
  return text;
}

ZxString hardwareAddress() {
  std::vector<HardwareAdapter> adapters;
  listHardwareAdapters(adapters);
  return pickHardwareAddress(adapters);
}

}  // namespace zxos
