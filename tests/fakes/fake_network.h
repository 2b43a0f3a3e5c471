// Windows Sockets and ICMP on a network the test describes: names with their addresses, addresses
// that answer (with a round-trip time or an error status), and what each call should return.
// Start-ups are counted as Windows Sockets counts them, and ICMP handles as they are opened.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/network_port.h"

namespace zephyr::testing {

class FakeNetwork final : public NetworkPort {
 public:
  struct Answer {
    std::uint32_t status = 0;  // 0: success; else an IP_* status such as 11010 (timed out)
    std::uint32_t roundTripMs = 1;
  };
  // The largest payload that crosses the path to a host with "don't fragment" set, and what a
  // larger one meets: a router's "fragmentation needed" (11009), silence (11010), another status.
  struct PathLimit {
    std::uint16_t largestPayload = 0;
    std::uint32_t aboveStatus = kIpPacketTooBig;
  };
  struct Echo {
    std::uintptr_t handle;
    Ipv4Address destination;
    std::string payload;
    std::uint32_t replySize;
    std::uint32_t timeoutMs;
    IcmpOptions options;
  };

  // What the test sets up.
  int startupError = 0;
  WsaData startupData{.version = 0x0101, .highVersion = 0x0202, .maxSockets = 32767};
  int cleanupError = 0;
  bool icmpUnavailable = false;
  std::map<std::string, HostEntry> names;
  std::map<Ipv4Address, Answer> answers;
  std::map<Ipv4Address, PathLimit> pathLimits;
  // Echoes answered before every host falls silent; negative: no end.
  int answersLeft = -1;
  // Called with each echo as it is sent, so a test can act in the middle of a search.
  std::function<void(const Echo&)> onEcho;

  // What the program did.
  int startups = 0;
  int cleanups = 0;
  int started = 0;  // start-ups not yet cleaned up
  std::vector<std::string> lookups;
  std::vector<Echo> echoes;
  std::set<std::uintptr_t> openHandles;

  int Calls() const {
    return startups + cleanups + static_cast<int>(lookups.size() + echoes.size());
  }
  void AddName(const std::string& name, std::vector<Ipv4Address> addresses) {
    HostEntry entry;
    for (const Ipv4Address& a : addresses) entry.addresses.push_back({a.begin(), a.end()});
    names[name] = std::move(entry);
  }

  int WsaStartup(std::uint16_t, WsaData& data) override {
    ++startups;
    if (startupError != 0) return startupError;
    ++started;
    data = startupData;
    return 0;
  }
  int WsaCleanup() override {
    ++cleanups;
    if (started == 0) return -1;  // SOCKET_ERROR: WSANOTINITIALISED
    --started;
    return cleanupError;
  }
  std::optional<HostEntry> GetHostByName(const std::string& name) override {
    lookups.push_back(name);
    const auto found = names.find(name);
    if (found == names.end()) return std::nullopt;
    return found->second;
  }
  std::uintptr_t IcmpCreateFile() override {
    if (icmpUnavailable) return kInvalidIcmpHandle;
    openHandles.insert(nextHandle_);
    return nextHandle_++;
  }
  std::uint32_t IcmpSendEcho(std::uintptr_t handle, const Ipv4Address& destination,
                             const void* requestData, std::uint16_t requestSize, void* reply,
                             std::uint32_t replySize, std::uint32_t timeoutMs) override {
    echoes.push_back({handle, destination,
                      std::string(static_cast<const char*>(requestData), requestSize), replySize,
                      timeoutMs, {}});
    const auto found = answers.find(destination);
    if (!openHandles.count(handle) || found == answers.end() || replySize < 28u + requestSize) {
      return 0;
    }
    // ICMP_ECHO_REPLY of 32-bit Windows: address, status, round trip, data size, ..., data.
    auto* bytes = static_cast<std::uint8_t*>(reply);
    std::memcpy(bytes, destination.data(), 4);
    std::memcpy(bytes + 4, &found->second.status, 4);
    std::memcpy(bytes + 8, &found->second.roundTripMs, 4);
    std::memcpy(bytes + 12, &requestSize, 2);
    std::memcpy(bytes + 28, requestData, requestSize);
    return 1;
  }
  // Timeouts come back as Windows gives them, no reply and IP_REQ_TIMED_OUT as the last error;
  // other statuses as a reply record carrying the status, as an ICMP error message gives them.
  IcmpEchoResult IcmpSendEchoWithOptions(std::uintptr_t handle, const Ipv4Address& destination,
                                         const void* requestData, std::uint16_t requestSize,
                                         const IcmpOptions& options, void* reply,
                                         std::uint32_t replySize,
                                         std::uint32_t timeoutMs) override {
    echoes.push_back({handle, destination,
                      std::string(static_cast<const char*>(requestData), requestSize), replySize,
                      timeoutMs, options});
    if (onEcho) onEcho(echoes.back());
    const auto found = answers.find(destination);
    if (!openHandles.count(handle) || replySize < 28u + requestSize) {
      return {0, kIpGeneralFailure};
    }
    if (found == answers.end() || answersLeft == 0) return {0, kIpReqTimedOut};
    Answer answer = found->second;
    const auto limit = pathLimits.find(destination);
    if ((options.flags & kIpFlagDontFragment) && limit != pathLimits.end() &&
        requestSize > limit->second.largestPayload) {
      answer.status = limit->second.aboveStatus;
    }
    if (answer.status == kIpReqTimedOut) return {0, kIpReqTimedOut};
    if (answer.status == kIpSuccess && answersLeft > 0) --answersLeft;
    auto* bytes = static_cast<std::uint8_t*>(reply);
    std::memset(bytes, 0, 28);
    std::memcpy(bytes, destination.data(), 4);
    std::memcpy(bytes + 4, &answer.status, 4);
    std::memcpy(bytes + 8, &answer.roundTripMs, 4);
    if (answer.status == kIpSuccess) {
      std::memcpy(bytes + 12, &requestSize, 2);
      std::memcpy(bytes + 28, requestData, requestSize);
    }
    return {1, 0};
  }
  bool IcmpCloseHandle(std::uintptr_t handle) override { return openHandles.erase(handle) != 0; }

 private:
  std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace zephyr::testing
