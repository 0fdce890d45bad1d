// IPv4 sockets behind a small interface that each platform fills in (here:
// POSIX sockets, poll and getaddrinfo). The transport (src/net) builds its
// connections and listeners on these calls alone.
//
// Conventions shared by every function:
// - Addresses are IPv4 numbers in host order (a.b.c.d is a << 24 | ... | d);
//   ports are host-order numbers 0 to 65535.
// - A socket is a handle number; kNoSocket means none. The caller owns every
//   socket these functions create and releases it with closeSocket().
// - A failing function fills the optional SocketError with the name of the
//   system call that failed and its error number, so that a diagnostic can
//   say "connect: Connection refused" rather than just "failed".
// - Every wait takes a time limit in milliseconds; a negative limit counts
//   as 0, so no wait here can last for ever. Calls interrupted by a signal
//   are restarted (a wait with what remains of its limit).
// - Sends never raise SIGPIPE on a socket whose peer has gone: they fail
//   with EPIPE instead (a signal would end the host application).
// - Sends and receives never block: they move what the socket can take or
//   give at once and report kWouldBlock otherwise; the caller waits for
//   readiness first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/zx_string.h"

namespace zxos {

constexpr int kNoSocket = -1;

struct SocketError {
  const char* call = nullptr;  // the system call that failed; null when none did
  int number = 0;              // its error number (errno)

  void set(const char* failedCall, int errorNumber) {
    call = failedCall;
    number = errorNumber;
  }
  // The system's text for the error number alone ("Connection refused").
  ZxString reason() const;
  // The call and the reason ("connect: Connection refused"); "" when none failed.
  ZxString text() const;
};

// The system's text for an error number.
ZxString errorText(int number);

// Prepares the socket library once per process. Nothing to do on this
// platform (the Windows layer starts Winsock 2.2 here); true when sockets
// can be used.
bool startSockets();

enum class SocketType { kStream, kDatagram };

// A new IPv4 socket (closed on exec), or kNoSocket.
int openSocket(SocketType type, SocketError* error);
// A connected pair of local sockets of the given type (for tests and
// in-process peers).
bool socketPair(SocketType type, int* first, int* second, SocketError* error);
bool closeSocket(int socket, SocketError* error);
// Shuts both directions down. A socket that is not connected (a listening or
// datagram socket) has nothing to shut down: that counts as success.
bool shutdownSocket(int socket, SocketError* error);

enum class WaitResult { kReady, kTimeout, kFailed };
WaitResult waitReadable(int socket, int timeoutMs, SocketError* error);
WaitResult waitWritable(int socket, int timeoutMs, SocketError* error);
// Waits until at least one of the `count` sockets is readable and sets
// ready[i] for each one that is. kTimeout when none became readable in time.
WaitResult waitAnyReadable(const int* sockets, bool* ready, int count, int timeoutMs, SocketError* error);

// Connects a stream socket to address:port, waiting at most timeoutMs for the
// connection to be made (an unreachable host does not hold the caller for the
// system's own connect time-out). A connection not made in time fails with
// ETIMEDOUT. The socket's blocking mode is as before afterwards.
bool connectWithin(int socket, uint32_t address, int port, int timeoutMs, SocketError* error);

// Results of sendSome/receiveSome besides a byte count.
constexpr long kWouldBlock = -2;
constexpr long kFailed = -1;

// Sends what the socket takes at once: the number of bytes sent (> 0),
// kWouldBlock, or kFailed. Never raises SIGPIPE.
long sendSome(int socket, const void* bytes, size_t n, SocketError* error);
// Receives what is there at once: the number of bytes (> 0), 0 when the peer
// has closed its side, kWouldBlock, or kFailed.
long receiveSome(int socket, void* bytes, size_t n, SocketError* error);
// One datagram to address:port: the bytes sent, or kFailed (kWouldBlock when
// the send queue is full).
long sendTo(int socket, const void* bytes, size_t n, uint32_t address, int port, SocketError* error);
// One datagram into `bytes` (cut to n bytes if longer), with its sender:
// the datagram's length (0 for an empty datagram), kWouldBlock or kFailed.
long receiveFrom(int socket, void* bytes, size_t n, uint32_t* address, int* port, SocketError* error);

bool enableBroadcast(int socket, SocketError* error);
// Lets a listening socket bind its port again while old connections to it
// linger in TIME_WAIT (a restarted server would otherwise wait minutes).
bool enableAddressReuse(int socket, SocketError* error);
bool bindSocket(int socket, uint32_t address, int port, SocketError* error);
bool listenSocket(int socket, int backlog, SocketError* error);
// Makes accept() on a listening socket answer at once when no connection is
// waiting (one that was ready may have gone again before it is accepted).
bool setNonBlocking(int socket, SocketError* error);
// The next connection waiting on a listening socket, with the caller's
// address and port; kNoSocket when there is none or accepting failed.
int acceptSocket(int socket, uint32_t* address, int* port, SocketError* error);
// The local address and port a socket is bound to.
bool socketName(int socket, uint32_t* address, int* port, SocketError* error);
// Joins the multicast group on the interface with address `interfaceAddress`
// (0: the system's choice) and lets the host's own sends loop back to it.
bool joinMulticastGroup(int socket, uint32_t group, uint32_t interfaceAddress, SocketError* error);

// The first IPv4 address of `name` from the system resolver (its own time
// limits apply: the resolver configuration's time-out and attempts). False
// when the name has no IPv4 address.
bool resolveHost(const char* name, uint32_t* address);

// The first IPv4 address of the network adapter with the lowest interface
// index, leaving out loopback adapters and adapters that are down; 0 when
// there is none. Broadcasts are sent from this address.
uint32_t broadcastSourceAddress();

// Pauses the calling thread (servers waiting for a port, an idle listener).
void sleepMs(int ms);

}  // namespace zxos
