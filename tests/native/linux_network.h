// The network port on Linux, for testing the pinger's searches against a real network stack:
// each echo through a datagram ICMP socket ("ping socket"), with path MTU discovery on when the
// request asks for "don't fragment", so the kernel refuses a packet larger than the link
// (EMSGSIZE) and reports a router's "fragmentation needed" on the socket's error queue. Results
// come back as IcmpSendEcho gives them: a reply record at the start of the buffer, or no reply
// and an IP_STATUS. Names are not looked up: tests give addresses.
#pragma once

#include <map>

#include "platform/network_port.h"

namespace zephyr::testing {

class LinuxNetwork final : public NetworkPort {
 public:
  int WsaStartup(std::uint16_t requestedVersion, WsaData& data) override;
  int WsaCleanup() override;
  std::optional<HostEntry> GetHostByName(const std::string& name) override;
  std::uintptr_t IcmpCreateFile() override;
  std::uint32_t IcmpSendEcho(std::uintptr_t handle, const Ipv4Address& destination,
                             const void* requestData, std::uint16_t requestSize, void* reply,
                             std::uint32_t replySize, std::uint32_t timeoutMs) override;
  IcmpEchoResult IcmpSendEchoWithOptions(std::uintptr_t handle, const Ipv4Address& destination,
                                         const void* requestData, std::uint16_t requestSize,
                                         const IcmpOptions& options, void* reply,
                                         std::uint32_t replySize,
                                         std::uint32_t timeoutMs) override;
  bool IcmpCloseHandle(std::uintptr_t handle) override;

 private:
  int started_ = 0;
  std::map<std::uintptr_t, std::uint16_t> handles_;  // handle to its next sequence number
  std::uintptr_t nextHandle_ = 1;
};

}  // namespace zephyr::testing
