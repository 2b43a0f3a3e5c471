// The real network port: Windows Sockets 1.1 from WSOCK32.dll, which every Windows from 95 on has,
// and the ICMP functions looked up when the program runs: in iphlpapi.dll from XP on, in icmp.dll
// before (Windows 95 has no iphlpapi.dll, and neither exports them to the import table).
#pragma once

#include <windows.h>

#include "platform/network_port.h"

namespace zephyr {

class NetworkWin32 final : public NetworkPort {
 public:
  NetworkWin32();
  ~NetworkWin32() override;
  NetworkWin32(const NetworkWin32&) = delete;
  NetworkWin32& operator=(const NetworkWin32&) = delete;

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

  // Whether the ICMP functions are there, looking them up the first time; without them every
  // echo fails.
  bool HasIcmp();

 private:
  using CreateFn = void*(__stdcall*)();
  using SendFn = unsigned long(__stdcall*)(void*, unsigned long, void*, unsigned short, void*,
                                           void*, unsigned long, unsigned long);
  using CloseFn = int(__stdcall*)(void*);

  CRITICAL_SECTION lock_;
  bool lookedUp_ = false;
  void* library_ = nullptr;
  CreateFn create_ = nullptr;
  SendFn send_ = nullptr;
  CloseFn close_ = nullptr;
};

}  // namespace zephyr
