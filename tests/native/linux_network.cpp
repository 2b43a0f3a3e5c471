#include "native/linux_network.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace zephyr::testing {
namespace {

// An IP_STATUS for an ICMP error about our request.
std::uint32_t StatusOfIcmpError(std::uint8_t type, std::uint8_t code) {
  if (type == ICMP_DEST_UNREACH) {
    if (code == ICMP_FRAG_NEEDED) return kIpPacketTooBig;
    return code == ICMP_NET_UNREACH ? 11002u : kIpDestHostUnreachable;
  }
  if (type == ICMP_TIME_EXCEEDED) return 11013;  // IP_TTL_EXPIRED_TRANSIT
  return kIpGeneralFailure;
}

// The reply record of 32-bit Windows at the start of `reply`, and the echoed data after it.
std::uint32_t WriteReply(void* reply, std::uint32_t replySize, const Ipv4Address& from,
                         std::uint32_t status, std::uint32_t roundTripMs, const void* data,
                         std::uint16_t dataSize) {
  if (replySize < 28u + dataSize) return 0;
  auto* bytes = static_cast<std::uint8_t*>(reply);
  std::memset(bytes, 0, 28);
  std::memcpy(bytes, from.data(), 4);
  std::memcpy(bytes + 4, &status, 4);
  std::memcpy(bytes + 8, &roundTripMs, 4);
  std::memcpy(bytes + 12, &dataSize, 2);
  if (dataSize) std::memcpy(bytes + 28, data, dataSize);
  return 1;
}

class Socket {
 public:
  Socket() : fd_(socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP)) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

int LinuxNetwork::WsaStartup(std::uint16_t, WsaData& data) {
  ++started_;
  data = {.version = 0x0101, .highVersion = 0x0202, .maxSockets = 32767};
  return 0;
}

int LinuxNetwork::WsaCleanup() {
  if (started_ == 0) return -1;
  --started_;
  return 0;
}

std::optional<HostEntry> LinuxNetwork::GetHostByName(const std::string&) { return std::nullopt; }

std::uintptr_t LinuxNetwork::IcmpCreateFile() {
  handles_[nextHandle_] = 1;
  return nextHandle_++;
}

bool LinuxNetwork::IcmpCloseHandle(std::uintptr_t handle) { return handles_.erase(handle) != 0; }

std::uint32_t LinuxNetwork::IcmpSendEcho(std::uintptr_t handle, const Ipv4Address& destination,
                                         const void* requestData, std::uint16_t requestSize,
                                         void* reply, std::uint32_t replySize,
                                         std::uint32_t timeoutMs) {
  return IcmpSendEchoWithOptions(handle, destination, requestData, requestSize, {}, reply,
                                 replySize, timeoutMs)
      .replies;
}

IcmpEchoResult LinuxNetwork::IcmpSendEchoWithOptions(std::uintptr_t handle,
                                                     const Ipv4Address& destination,
                                                     const void* requestData,
                                                     std::uint16_t requestSize,
                                                     const IcmpOptions& options, void* reply,
                                                     std::uint32_t replySize,
                                                     std::uint32_t timeoutMs) {
  const auto found = handles_.find(handle);
  if (found == handles_.end()) return {0, kIpGeneralFailure};
  const std::uint16_t sequence = found->second++;
  Socket socket;
  if (socket.fd() < 0) return {0, kIpGeneralFailure};
  const int discovery =
      (options.flags & kIpFlagDontFragment) ? IP_PMTUDISC_DO : IP_PMTUDISC_DONT;
  const int on = 1;
  const int ttl = options.ttl;
  setsockopt(socket.fd(), IPPROTO_IP, IP_MTU_DISCOVER, &discovery, sizeof discovery);
  setsockopt(socket.fd(), IPPROTO_IP, IP_RECVERR, &on, sizeof on);
  setsockopt(socket.fd(), IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);

  std::vector<std::uint8_t> packet(sizeof(icmphdr) + requestSize);
  icmphdr header{};
  header.type = ICMP_ECHO;
  header.un.echo.sequence = htons(sequence);  // the kernel sets the identifier and checksum
  std::memcpy(packet.data(), &header, sizeof header);
  if (requestSize) std::memcpy(packet.data() + sizeof header, requestData, requestSize);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  std::memcpy(&to.sin_addr, destination.data(), 4);
  const auto start = std::chrono::steady_clock::now();
  if (sendto(socket.fd(), packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to),
             sizeof to) < 0) {
    // Larger than the link with path MTU discovery on: the kernel's own "fragmentation needed".
    return {0, errno == EMSGSIZE ? kIpPacketTooBig : kIpGeneralFailure};
  }

  std::vector<std::uint8_t> received(sizeof(icmphdr) + 65535);
  while (true) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    if (elapsed >= timeoutMs) return {0, kIpReqTimedOut};
    pollfd waiting{socket.fd(), POLLIN, 0};
    if (poll(&waiting, 1, static_cast<int>(timeoutMs - elapsed)) <= 0) continue;
    const auto roundTrip = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                              start)
            .count());
    if (waiting.revents & POLLERR) {
      char control[512];
      sockaddr_in offender{};
      iovec io{received.data(), received.size()};
      msghdr message{};
      message.msg_name = &offender;
      message.msg_namelen = sizeof offender;
      message.msg_iov = &io;
      message.msg_iovlen = 1;
      message.msg_control = control;
      message.msg_controllen = sizeof control;
      if (recvmsg(socket.fd(), &message, MSG_ERRQUEUE) < 0) continue;
      for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
        sock_extended_err error;
        std::memcpy(&error, CMSG_DATA(c), sizeof error);
        std::uint32_t status = kIpGeneralFailure;
        if (error.ee_origin == SO_EE_ORIGIN_ICMP) {
          status = StatusOfIcmpError(error.ee_type, error.ee_code);
        } else if (error.ee_errno == EMSGSIZE) {
          status = kIpPacketTooBig;
        }
        return {WriteReply(reply, replySize, destination, status, roundTrip, nullptr, 0), 0};
      }
      continue;
    }
    const ssize_t size = recv(socket.fd(), received.data(), received.size(), 0);
    if (size < static_cast<ssize_t>(sizeof(icmphdr))) continue;
    icmphdr answer;
    std::memcpy(&answer, received.data(), sizeof answer);
    if (answer.type != ICMP_ECHOREPLY || ntohs(answer.un.echo.sequence) != sequence) continue;
    const auto echoed = static_cast<std::uint16_t>(size - sizeof(icmphdr));
    const std::uint32_t replies = WriteReply(reply, replySize, destination, kIpSuccess, roundTrip,
                                             received.data() + sizeof(icmphdr), echoed);
    return {replies, replies ? 0u : 11001u};  // IP_BUF_TOO_SMALL
  }
}

}  // namespace zephyr::testing
