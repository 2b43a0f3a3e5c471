#include "platform/network_win32.h"

#include <windows.h>
#include <winsock.h>

#include <cstring>

namespace zephyr {
namespace {

// IP_OPTION_INFORMATION (ipexport.h), which the headers for the program's Windows floor lack.
struct IpOptionInformation {
  unsigned char ttl;
  unsigned char tos;
  unsigned char flags;
  unsigned char optionsSize;
  unsigned char* optionsData;
};

}  // namespace

NetworkWin32::NetworkWin32() { InitializeCriticalSection(&lock_); }

NetworkWin32::~NetworkWin32() {
  if (library_) FreeLibrary(static_cast<HMODULE>(library_));
  DeleteCriticalSection(&lock_);
}

bool NetworkWin32::HasIcmp() {
  // Loaded with the first echo, not at start-up: most runs never ping. Echoes run on threads of
  // their own, so the first two may ask at once.
  EnterCriticalSection(&lock_);
  if (!lookedUp_) {
    lookedUp_ = true;
    for (const char* name : {"iphlpapi.dll", "icmp.dll"}) {
      HMODULE library = LoadLibraryA(name);
      if (!library) continue;
      create_ = reinterpret_cast<CreateFn>(
          reinterpret_cast<void*>(GetProcAddress(library, "IcmpCreateFile")));
      send_ = reinterpret_cast<SendFn>(
          reinterpret_cast<void*>(GetProcAddress(library, "IcmpSendEcho")));
      close_ = reinterpret_cast<CloseFn>(
          reinterpret_cast<void*>(GetProcAddress(library, "IcmpCloseHandle")));
      if (create_ && send_ && close_) {
        library_ = library;
        break;
      }
      create_ = nullptr;
      send_ = nullptr;
      close_ = nullptr;
      FreeLibrary(library);
    }
  }
  const bool found = create_ && send_ && close_;
  LeaveCriticalSection(&lock_);
  return found;
}

int NetworkWin32::WsaStartup(std::uint16_t requestedVersion, WsaData& data) {
  WSADATA record{};
  const int error = ::WSAStartup(requestedVersion, &record);
  if (error == 0) {
    data.version = record.wVersion;
    data.highVersion = record.wHighVersion;
    data.maxSockets = record.iMaxSockets;
  }
  return error;
}

int NetworkWin32::WsaCleanup() { return ::WSACleanup(); }

std::optional<HostEntry> NetworkWin32::GetHostByName(const std::string& name) {
  // The entry lives in storage of the calling thread until its next sockets call: copy it now.
  const hostent* found = ::gethostbyname(name.c_str());
  if (!found) return std::nullopt;
  HostEntry entry;
  entry.addressLength = found->h_length;
  for (char** address = found->h_addr_list; address && *address; ++address) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(*address);
    entry.addresses.emplace_back(bytes, bytes + found->h_length);
  }
  return entry;
}

std::uintptr_t NetworkWin32::IcmpCreateFile() {
  if (!HasIcmp()) return kInvalidIcmpHandle;
  return reinterpret_cast<std::uintptr_t>(create_());
}

std::uint32_t NetworkWin32::IcmpSendEcho(std::uintptr_t handle, const Ipv4Address& destination,
                                         const void* requestData, std::uint16_t requestSize,
                                         void* reply, std::uint32_t replySize,
                                         std::uint32_t timeoutMs) {
  if (!HasIcmp()) return 0;
  unsigned long address = 0;  // IPAddr: the bytes in network order
  std::memcpy(&address, destination.data(), sizeof address);
  return send_(reinterpret_cast<void*>(handle), address, const_cast<void*>(requestData),
               requestSize, nullptr, reply, replySize, timeoutMs);
}

IcmpEchoResult NetworkWin32::IcmpSendEchoWithOptions(std::uintptr_t handle,
                                                     const Ipv4Address& destination,
                                                     const void* requestData,
                                                     std::uint16_t requestSize,
                                                     const IcmpOptions& options, void* reply,
                                                     std::uint32_t replySize,
                                                     std::uint32_t timeoutMs) {
  if (!HasIcmp()) return {0, kIpGeneralFailure};
  unsigned long address = 0;
  std::memcpy(&address, destination.data(), sizeof address);
  IpOptionInformation block{options.ttl, options.tos, options.flags, 0, nullptr};
  SetLastError(0);
  IcmpEchoResult result;
  result.replies = send_(reinterpret_cast<void*>(handle), address, const_cast<void*>(requestData),
                         requestSize, &block, reply, replySize, timeoutMs);
  if (result.replies == 0) result.lastError = GetLastError();
  return result;
}

bool NetworkWin32::IcmpCloseHandle(std::uintptr_t handle) {
  return HasIcmp() && close_(reinterpret_cast<void*>(handle)) != FALSE;
}

}  // namespace zephyr
