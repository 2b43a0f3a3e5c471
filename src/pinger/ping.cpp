#include "pinger/ping.h"

#include <algorithm>
#include <utility>

#include "platform/dialog_port.h"

namespace zephyr::mdlPing {
namespace {

bool IsWholeNumber(std::string_view part) {
  if (part.empty()) return false;
  for (char c : part) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A field of the reply record, as the x86 platform stores it (low byte first).
std::uint32_t ReplyField(const Request& request, std::size_t offset) {
  return static_cast<std::uint32_t>(request.reply[offset]) |
         static_cast<std::uint32_t>(request.reply[offset + 1]) << 8 |
         static_cast<std::uint32_t>(request.reply[offset + 2]) << 16 |
         static_cast<std::uint32_t>(request.reply[offset + 3]) << 24;
}

constexpr std::size_t kReplyStatusOffset = 4;
constexpr std::size_t kReplyRoundTripOffset = 8;

}  // namespace

std::string SocketsVersionMessage(int major, int minor) {
  return "Windows Sockets Version " + std::to_string(major) + "." + std::to_string(minor) +
         " is not supported by Windows Sockets for 32 bit Windows environments.";
}

std::string SocketsMinimumMessage(int sockets) {
  return "This application requires a minimum of " + std::to_string(sockets) +
         " supported sockets.";
}

std::string SocketsCleanupMessage(int error) {
  return "Windows Sockets error " + std::to_string(error) + " occurred in Cleanup.";
}

std::optional<Ipv4Address> AddressFromText(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    parts.push_back(text.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (parts.size() > 4) return std::nullopt;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  Ipv4Address address{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!IsWholeNumber(parts[i])) return std::nullopt;
    // The low 8 bits of any length of digits, without overflow.
    unsigned low = 0;
    for (char c : parts[i]) low = (low * 10 + static_cast<unsigned>(c - '0')) & 0xFF;
    if (parts.size() == 4) address[i] = static_cast<std::uint8_t>(low);
  }
  return address;
}

bool IsNumericDottedAddress(std::string_view text) {
  const std::size_t dot = text.find('.');
  return dot != std::string_view::npos && IsWholeNumber(text.substr(0, dot));
}

std::optional<std::string> HostTextToPing(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty() || text.size() > kMaxHostTextLength) return std::nullopt;
  for (char c : text) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
    if (!allowed) return std::nullopt;
  }
  return std::string(text);
}

bool SocketsStartup(Request& request) {
  WsaData data;
  if (request.network.WsaStartup(kWinsockVersion11, data) != 0) {
    request.messages.push_back({kSocketsNotRespondingMessage, kMbOk});
    return false;
  }
  const int major = data.version & 0xFF;
  const int minor = data.version >> 8;
  std::optional<SocketsMessage> refusal;
  if (major == 0 || (major == 1 && minor == 0)) {
    refusal = SocketsMessage{SocketsVersionMessage(major, minor), kMbIconWarning};
  } else if (data.maxSockets < 1) {
    refusal = SocketsMessage{SocketsMinimumMessage(1), kMbIconWarning};
  }
  if (!refusal) return true;
  request.messages.push_back(std::move(*refusal));
  // A start-up that succeeded is counted by Windows Sockets until it is cleaned up.
  request.network.WsaCleanup();
  return false;
}

void SocketsCleanup(Request& request) {
  if (const int error = request.network.WsaCleanup(); error != 0) {
    request.messages.push_back({SocketsCleanupMessage(error), kMbIconWarning});
  }
}

std::vector<std::string> ResolveHostName(Request& request, const std::string& name) {
  std::vector<std::string> list;
  if (!SocketsStartup(request)) return list;
  if (const std::optional<HostEntry> entry = request.network.GetHostByName(name)) {
    for (const std::vector<std::uint8_t>& address : entry->addresses) {
      std::string text;
      const std::size_t length =
          std::min(address.size(), static_cast<std::size_t>(std::max(entry->addressLength, 0)));
      for (std::size_t i = 0; i < length; ++i) {
        if (i != 0) text += '.';
        text += std::to_string(address[i]);
      }
      list.push_back(std::move(text));
    }
  }
  SocketsCleanup(request);
  return list;
}

bool SendEcho(Request& request, std::string_view addressText, std::uint32_t timeoutMs) {
  const std::optional<Ipv4Address> address = AddressFromText(addressText);
  if (!address) return false;
  const std::uintptr_t handle = request.network.IcmpCreateFile();
  if (handle == kInvalidIcmpHandle) return false;
  request.reply.fill(0);
  const std::uint32_t replies = request.network.IcmpSendEcho(
      handle, *address, kEchoPayload.data(), static_cast<std::uint16_t>(kEchoPayload.size()),
      request.reply.data(), kReplyBufferSize, timeoutMs);
  request.network.IcmpCloseHandle(handle);
  return replies != 0;
}

PingOutcome PingHostBlocking(Request& request, const std::string& host, std::uint32_t timeoutMs) {
  if (!SocketsStartup(request)) return {};
  std::string target = host;
  if (!IsNumericDottedAddress(target)) {
    const std::vector<std::string> addresses = ResolveHostName(request, target);
    if (addresses.empty()) {
      SocketsCleanup(request);
      return {};
    }
    target = addresses.front();
  }
  const bool replied = SendEcho(request, target, timeoutMs);
  SocketsCleanup(request);
  if (!replied || ReplyField(request, kReplyStatusOffset) != 0) return {};
  return {true, ReplyField(request, kReplyRoundTripOffset)};
}

Pinger::Pinger(NetworkPort& network, BackgroundPort& background, ShowMessage showMessage)
    : network_(network), background_(background), showMessage_(std::move(showMessage)) {}

void Pinger::PingHost(std::string_view host, std::uint32_t timeoutMs,
                      std::function<void(PingOutcome)> done) {
  const std::optional<std::string> text = HostTextToPing(host);
  if (!text) {
    done({});
    return;
  }
  struct Shared {
    explicit Shared(NetworkPort& network) : request(network) {}
    Request request;
    PingOutcome outcome;
  };
  auto shared = std::make_shared<Shared>(network_);
  ++waiting_;
  background_.Run(
      [shared, host = *text, timeoutMs] {
        shared->outcome = PingHostBlocking(shared->request, host, timeoutMs);
      },
      [shared, self = std::weak_ptr<Pinger*>(self_), done = std::move(done)] {
        if (self.expired()) return;
        Pinger* pinger = *self.lock();
        --pinger->waiting_;
        for (const SocketsMessage& message : shared->request.messages) {
          pinger->showMessage_(message.text, message.flags);
          // A message box lets the user close the program while it is open.
          if (self.expired()) return;
        }
        done(shared->outcome);
      });
}

}  // namespace zephyr::mdlPing
