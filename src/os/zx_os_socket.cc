// The POSIX implementation of the socket interface.
#include "os/zx_os_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <vector>

namespace zxos {

namespace {
// EAGAIN and EWOULDBLOCK are one value on Linux and two on some systems.
bool wouldBlock(int e) {
#if EAGAIN == EWOULDBLOCK
  return e == EAGAIN;
#else
  return e == EAGAIN || e == EWOULDBLOCK;
#endif
}
}  // namespace

namespace {

// Sends never raise SIGPIPE: Linux takes a flag per call, BSD and macOS a
// socket option set when the socket is made.
#if defined(MSG_NOSIGNAL)
constexpr int kNoSignal = MSG_NOSIGNAL;
#else
constexpr int kNoSignal = 0;
#endif

// Each send and receive moves only what the socket can take or give at once,
// whatever the socket's blocking mode: the caller has waited for readiness,
// and a blocking call could otherwise outlast every time limit.
constexpr int kDontWait = MSG_DONTWAIT;

bool fail(SocketError* error, const char* call, int number) {
  if (error) error->set(call, number);
  return false;
}

// The two strerror_r flavours: GNU answers a pointer, XSI a status.
[[maybe_unused]] const char* pickText(int status, const char* buffer) { return status == 0 ? buffer : "unknown error"; }
[[maybe_unused]] const char* pickText(const char* text, const char*) { return text ? text : "unknown error"; }

bool validPort(int port) { return port >= 0 && port <= 65535; }

sockaddr_in makeAddress(uint32_t address, int port) {
  sockaddr_in a;
  std::memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(address);
  return a;
}

int clampTimeout(int timeoutMs) { return timeoutMs < 0 ? 0 : timeoutMs; }

using Clock = std::chrono::steady_clock;

// poll() over `fds`, restarted after a signal with the time that is left.
WaitResult pollWithin(pollfd* fds, size_t count, int timeoutMs, SocketError* error) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(clampTimeout(timeoutMs));
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left < 0) left = 0;
    int rc = ::poll(fds, static_cast<nfds_t>(count), static_cast<int>(left));
    if (rc > 0) return WaitResult::kReady;
    if (rc == 0) return WaitResult::kTimeout;
    if (errno == EINTR) continue;
    fail(error, "poll", errno);
    return WaitResult::kFailed;
  }
}

WaitResult waitFor(int socket, short events, int timeoutMs, SocketError* error) {
  if (socket < 0) {
    fail(error, "poll", EBADF);
    return WaitResult::kFailed;
  }
  pollfd p;
  p.fd = socket;
  p.events = events;
  p.revents = 0;
  // An error or hang-up condition counts as ready: the next call reports it.
  return pollWithin(&p, 1, timeoutMs, error);
}

}  // namespace

ZxString errorText(int number) {
  char buffer[256];
  buffer[0] = 0;
  return ZxString(pickText(strerror_r(number, buffer, sizeof buffer), buffer));
}

ZxString SocketError::reason() const { return call ? errorText(number) : ZxString(); }

ZxString SocketError::text() const {
  if (!call) return ZxString();
  ZxString out(call);
  out.append(": ").append(errorText(number));
  return out;
}

bool startSockets() { return true; }

int openSocket(SocketType type, SocketError* error) {
  int kind = type == SocketType::kStream ? SOCK_STREAM : SOCK_DGRAM;
  int protocol = type == SocketType::kStream ? IPPROTO_TCP : IPPROTO_UDP;
#if defined(SOCK_CLOEXEC)
  int s = ::socket(AF_INET, kind | SOCK_CLOEXEC, protocol);
#else
  int s = ::socket(AF_INET, kind, protocol);
  if (s >= 0) ::fcntl(s, F_SETFD, FD_CLOEXEC);
#endif
  if (s < 0) {
    fail(error, "socket", errno);
    return kNoSocket;
  }
#if defined(SO_NOSIGPIPE)
  int one = 1;
  ::setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  return s;
}

bool socketPair(SocketType type, int* first, int* second, SocketError* error) {
  int fds[2];
  if (::socketpair(AF_UNIX, type == SocketType::kStream ? SOCK_STREAM : SOCK_DGRAM, 0, fds) != 0)
    return fail(error, "socketpair", errno);
  for (int fd : fds) {
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
#if defined(SO_NOSIGPIPE)
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  }
  *first = fds[0];
  *second = fds[1];
  return true;
}

bool closeSocket(int socket, SocketError* error) {
  if (socket < 0) return fail(error, "close", EBADF);
  // POSIX leaves the descriptor's state unspecified after EINTR; on Linux it
  // is closed already, so close() is never repeated.
  if (::close(socket) != 0 && errno != EINTR) return fail(error, "close", errno);
  return true;
}

bool shutdownSocket(int socket, SocketError* error) {
  if (::shutdown(socket, SHUT_RDWR) != 0 && errno != ENOTCONN) return fail(error, "shutdown", errno);
  return true;
}

WaitResult waitReadable(int socket, int timeoutMs, SocketError* error) {
  return waitFor(socket, POLLIN, timeoutMs, error);
}

WaitResult waitWritable(int socket, int timeoutMs, SocketError* error) {
  return waitFor(socket, POLLOUT, timeoutMs, error);
}

WaitResult waitAnyReadable(const int* sockets, bool* ready, int count, int timeoutMs, SocketError* error) {
  if (count <= 0) {
    fail(error, "poll", EINVAL);
    return WaitResult::kFailed;
  }
  std::vector<pollfd> fds(static_cast<size_t>(count));
  for (size_t i = 0; i < fds.size(); ++i) {
    fds[i].fd = sockets[i];  // a negative handle is left out by poll()
    fds[i].events = POLLIN;
    fds[i].revents = 0;
    ready[i] = false;
  }
  WaitResult r = pollWithin(fds.data(), fds.size(), timeoutMs, error);
  if (r != WaitResult::kReady) return r;
  for (size_t i = 0; i < fds.size(); ++i) ready[i] = sockets[i] >= 0 && fds[i].revents != 0;
  return r;
}

bool connectWithin(int socket, uint32_t address, int port, int timeoutMs, SocketError* error) {
  if (!validPort(port)) return fail(error, "connect", EINVAL);
  int flags = ::fcntl(socket, F_GETFL, 0);
  if (flags < 0) return fail(error, "fcntl", errno);
  if (!(flags & O_NONBLOCK) && ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0)
    return fail(error, "fcntl", errno);
  sockaddr_in a = makeAddress(address, port);
  bool ok = true;
  if (::connect(socket, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    // EINTR on a non-blocking connect leaves it going on, like EINPROGRESS.
    if (errno != EINPROGRESS && errno != EINTR) {
      ok = fail(error, "connect", errno);
    } else {
      WaitResult w = waitWritable(socket, timeoutMs, error);
      if (w == WaitResult::kTimeout) {
        ok = fail(error, "connect", ETIMEDOUT);
      } else if (w == WaitResult::kFailed) {
        ok = false;
      } else {
        int pending = 0;
        socklen_t size = sizeof pending;
        if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &pending, &size) != 0)
          ok = fail(error, "getsockopt", errno);
        else if (pending != 0)
          ok = fail(error, "connect", pending);
      }
    }
  }
  if (!(flags & O_NONBLOCK)) ::fcntl(socket, F_SETFL, flags);
  return ok;
}

long sendSome(int socket, const void* bytes, size_t n, SocketError* error) {
  for (;;) {
    ssize_t sent = ::send(socket, bytes, n, kNoSignal | kDontWait);
    if (sent >= 0) return static_cast<long>(sent);
    if (errno == EINTR) continue;
    if (wouldBlock(errno)) return kWouldBlock;
    fail(error, "send", errno);
    return kFailed;
  }
}

long receiveSome(int socket, void* bytes, size_t n, SocketError* error) {
  for (;;) {
    ssize_t got = ::recv(socket, bytes, n, kDontWait);
    if (got >= 0) return static_cast<long>(got);
    if (errno == EINTR) continue;
    if (wouldBlock(errno)) return kWouldBlock;
    fail(error, "recv", errno);
    return kFailed;
  }
}

long sendTo(int socket, const void* bytes, size_t n, uint32_t address, int port, SocketError* error) {
  if (!validPort(port)) {
    fail(error, "sendto", EINVAL);
    return kFailed;
  }
  sockaddr_in a = makeAddress(address, port);
  for (;;) {
    ssize_t sent =
        ::sendto(socket, bytes, n, kNoSignal | kDontWait, reinterpret_cast<sockaddr*>(&a), sizeof a);
    if (sent >= 0) return static_cast<long>(sent);
    if (errno == EINTR) continue;
    if (wouldBlock(errno)) return kWouldBlock;
    fail(error, "sendto", errno);
    return kFailed;
  }
}

long receiveFrom(int socket, void* bytes, size_t n, uint32_t* address, int* port, SocketError* error) {
  for (;;) {
    sockaddr_in from;
    std::memset(&from, 0, sizeof from);
    socklen_t size = sizeof from;
    ssize_t got = ::recvfrom(socket, bytes, n, kDontWait, reinterpret_cast<sockaddr*>(&from), &size);
    if (got >= 0) {
      if (address) *address = from.sin_family == AF_INET ? ntohl(from.sin_addr.s_addr) : 0;
      if (port) *port = from.sin_family == AF_INET ? ntohs(from.sin_port) : 0;
      return static_cast<long>(got);
    }
    if (errno == EINTR) continue;
    if (wouldBlock(errno)) return kWouldBlock;
    fail(error, "recvfrom", errno);
    return kFailed;
  }
}

bool enableBroadcast(int socket, SocketError* error) {
  int one = 1;
  if (::setsockopt(socket, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0)
    return fail(error, "setsockopt", errno);
  return true;
}

bool enableAddressReuse(int socket, SocketError* error) {
  int one = 1;
  if (::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0)
    return fail(error, "setsockopt", errno);
  return true;
}

bool bindSocket(int socket, uint32_t address, int port, SocketError* error) {
  if (!validPort(port)) return fail(error, "bind", EINVAL);
  sockaddr_in a = makeAddress(address, port);
  if (::bind(socket, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return fail(error, "bind", errno);
  return true;
}

bool listenSocket(int socket, int backlog, SocketError* error) {
  if (::listen(socket, backlog) != 0) return fail(error, "listen", errno);
  return true;
}

bool setNonBlocking(int socket, SocketError* error) {
  int flags = ::fcntl(socket, F_GETFL, 0);
  if (flags < 0 || ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) return fail(error, "fcntl", errno);
  return true;
}

int acceptSocket(int socket, uint32_t* address, int* port, SocketError* error) {
  for (;;) {
    sockaddr_in from;
    std::memset(&from, 0, sizeof from);
    socklen_t size = sizeof from;
#if defined(__linux__)
    int s = ::accept4(socket, reinterpret_cast<sockaddr*>(&from), &size, SOCK_CLOEXEC);
#else
    int s = ::accept(socket, reinterpret_cast<sockaddr*>(&from), &size);
    if (s >= 0) ::fcntl(s, F_SETFD, FD_CLOEXEC);
#endif
    if (s >= 0) {
#if defined(SO_NOSIGPIPE)
      int one = 1;
      ::setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
      if (address) *address = ntohl(from.sin_addr.s_addr);
      if (port) *port = ntohs(from.sin_port);
      return s;
    }
    if (errno == EINTR) continue;
    fail(error, "accept", errno);
    return kNoSocket;
  }
}

bool socketName(int socket, uint32_t* address, int* port, SocketError* error) {
  sockaddr_in a;
  std::memset(&a, 0, sizeof a);
  socklen_t size = sizeof a;
  if (::getsockname(socket, reinterpret_cast<sockaddr*>(&a), &size) != 0)
    return fail(error, "getsockname", errno);
  if (address) *address = ntohl(a.sin_addr.s_addr);
  if (port) *port = ntohs(a.sin_port);
  return true;
}

bool joinMulticastGroup(int socket, uint32_t group, uint32_t interfaceAddress, SocketError* error) {
  ip_mreq request;
  std::memset(&request, 0, sizeof request);
  request.imr_multiaddr.s_addr = htonl(group);
  request.imr_interface.s_addr = htonl(interfaceAddress);
  if (::setsockopt(socket, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) != 0)
    return fail(error, "setsockopt", errno);
  unsigned char loop = 1;
  if (::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0)
    return fail(error, "setsockopt", errno);
  return true;
}

bool resolveHost(const char* name, uint32_t* address) {
  if (!name || !*name) return false;
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || !found) return false;
  bool ok = false;
  for (addrinfo* a = found; a; a = a->ai_next) {
    if (a->ai_family != AF_INET || !a->ai_addr) continue;
    *address = ntohl(reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
    ok = true;
    break;
  }
  ::freeaddrinfo(found);
  return ok;
}

uint32_t broadcastSourceAddress() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return 0;
  uint32_t best = 0;
  unsigned int bestIndex = UINT_MAX;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !i->ifa_name) continue;
    if ((i->ifa_flags & IFF_LOOPBACK) || !(i->ifa_flags & IFF_UP)) continue;
    unsigned int index = ::if_nametoindex(i->ifa_name);
    if (index == 0 || index >= bestIndex) continue;  // the first address of the lowest index wins
    bestIndex = index;
    best = ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
  }
  ::freeifaddrs(list);
  return best;
}

void sleepMs(int ms) {
  if (ms <= 0) return;
  timespec left;
  left.tv_sec = ms / 1000;
  left.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace zxos
