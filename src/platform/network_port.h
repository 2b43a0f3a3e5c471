// The network port: Windows Sockets start-up and clean-up, the name look-up and the ICMP echo, as
// the platform's functions take and return them. Every call may block; the pinger makes them off
// the user-interface thread, so the real port must allow calls from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zephyr {

// The part of WSAStartup's record the program reads.
struct WsaData {
  std::uint16_t version = 0;  // the negotiated version: major in the low byte, minor in the high
  std::uint16_t highVersion = 0;
  std::uint16_t maxSockets = 0;
};

// A host entry as gethostbyname fills it: each address h_length bytes, in network order.
struct HostEntry {
  int addressLength = 4;
  std::vector<std::vector<std::uint8_t>> addresses;
};

// An IPv4 address as it lies in memory: the parts of the dotted text in written order.
using Ipv4Address = std::array<std::uint8_t, 4>;

// IcmpCreateFile's failure value, INVALID_HANDLE_VALUE.
inline constexpr std::uintptr_t kInvalidIcmpHandle = static_cast<std::uintptr_t>(-1);

// The fields of IP_OPTION_INFORMATION that the program sets on an echo request.
struct IcmpOptions {
  std::uint8_t ttl = 128;
  std::uint8_t tos = 0;
  std::uint8_t flags = 0;  // IP_FLAG_DF asks that no router split the packet
};
inline constexpr std::uint8_t kIpFlagDontFragment = 0x02;  // IP_FLAG_DF

// The IP_STATUS values the program tells apart (ipexport.h).
inline constexpr std::uint32_t kIpSuccess = 0;
inline constexpr std::uint32_t kIpDestHostUnreachable = 11003;
inline constexpr std::uint32_t kIpPacketTooBig = 11009;  // "fragmentation needed" with DF set
inline constexpr std::uint32_t kIpReqTimedOut = 11010;
inline constexpr std::uint32_t kIpGeneralFailure = 11050;

// What IcmpSendEcho returned, and GetLastError right after it when that was 0.
struct IcmpEchoResult {
  std::uint32_t replies = 0;
  std::uint32_t lastError = 0;
};

class NetworkPort {
 public:
  virtual ~NetworkPort() = default;
  // WSAStartup: 0 or a Windows Sockets error code; `data` is filled on success.
  virtual int WsaStartup(std::uint16_t requestedVersion, WsaData& data) = 0;
  // WSACleanup: 0, or SOCKET_ERROR (-1) when it failed.
  virtual int WsaCleanup() = 0;
  // gethostbyname: nothing when the name is not known.
  virtual std::optional<HostEntry> GetHostByName(const std::string& name) = 0;
  // IcmpCreateFile: a handle, or kInvalidIcmpHandle.
  virtual std::uintptr_t IcmpCreateFile() = 0;
  // IcmpSendEcho without IP options: the number of replies written into `reply` (0 on a timeout
  // or an error). `reply` starts with the platform's ICMP_ECHO_REPLY record.
  virtual std::uint32_t IcmpSendEcho(std::uintptr_t handle, const Ipv4Address& destination,
                                     const void* requestData, std::uint16_t requestSize,
                                     void* reply, std::uint32_t replySize,
                                     std::uint32_t timeoutMs) = 0;
  // IcmpSendEcho with an option block: the same call, the IP header's time to live, type of
  // service and flags set as `options` says.
  virtual IcmpEchoResult IcmpSendEchoWithOptions(std::uintptr_t handle,
                                                 const Ipv4Address& destination,
                                                 const void* requestData,
                                                 std::uint16_t requestSize,
                                                 const IcmpOptions& options, void* reply,
                                                 std::uint32_t replySize,
                                                 std::uint32_t timeoutMs) = 0;
  // IcmpCloseHandle.
  virtual bool IcmpCloseHandle(std::uintptr_t handle) = 0;
};

}  // namespace zephyr
