// mdlPing: one ICMP echo request ("ping") to a host given as a dotted IPv4 address or a name.
//
// The request's blocking part (the sockets start-up, the name look-up, the echo and the clean-up)
// runs on a background thread, so the window keeps answering while an echo waits; its result and
// any sockets message reach the caller on the user-interface thread. Each request has its own
// ICMP handle and reply buffer, so requests waiting at the same time do not disturb each other.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/background_port.h"
#include "platform/network_port.h"

namespace zephyr::mdlPing {

inline constexpr std::string_view kEchoPayload = "Echo This";  // sent without a NUL
// ICMP_ECHO_REPLY as 32-bit Windows lays it out (28 bytes), then room for the echoed data.
inline constexpr std::uint32_t kReplyBufferSize = 278;
inline constexpr std::uint32_t kPingTimeoutMs = 10000;
inline constexpr std::uint16_t kWinsockVersion11 = 257;
// The longest host text a ping accepts: a full domain name has at most 255 characters.
inline constexpr std::size_t kMaxHostTextLength = 255;

inline constexpr char kSocketsNotRespondingMessage[] =
    "Windows Sockets for 32 bit Windows environments is not successfully responding.";
std::string SocketsVersionMessage(int major, int minor);
std::string SocketsMinimumMessage(int sockets);
std::string SocketsCleanupMessage(int error);

// What an echo request came to.
struct PingOutcome {
  bool answered = false;       // a reply came with status 0 (success)
  std::uint32_t roundTripMs = 0;  // from the reply record, when answered
};

// A message box the sockets functions ask for; shown on the user-interface thread.
struct SocketsMessage {
  std::string text;
  std::uint32_t flags = 0;
};

// One request's own state: its reply buffer and the messages it has for the user.
struct Request {
  explicit Request(NetworkPort& port) : network(port) {}
  NetworkPort& network;
  std::array<std::uint8_t, kReplyBufferSize> reply{};
  std::vector<SocketsMessage> messages;
};

// The dotted text's address: exactly four whole-number parts give their low 8 bits each, in
// written order; fewer parts give 0.0.0.0. A fifth part, or a part that is not a whole number,
// gives nothing.
std::optional<Ipv4Address> AddressFromText(std::string_view text);
// True when the text holds a "." and the part before its first "." is a whole number: such a
// text is sent to as it is, anything else is looked up by name.
bool IsNumericDottedAddress(std::string_view text);
// The host text without its leading and trailing blanks, or nothing when no host name or dotted
// address could be written so: empty, longer than 255 characters, or holding a character other
// than a letter, digit, ".", "-" or "_".
std::optional<std::string> HostTextToPing(std::string_view text);

// WSAStartup for version 1.1: true when Windows Sockets are usable. A refusal leaves its message
// in the request and releases what the start-up took.
bool SocketsStartup(Request& request);
// WSACleanup; a failure leaves its message in the request.
void SocketsCleanup(Request& request);
// The host's IPv4 addresses as dotted texts in the order the name service gives them; empty when
// the name is unknown or the sockets did not start.
std::vector<std::string> ResolveHostName(Request& request, const std::string& name);
// One echo to the address text with its own ICMP handle; true when the echo call reported a
// reply, which is then in request.reply. A malformed address sends nothing.
bool SendEcho(Request& request, std::string_view addressText, std::uint32_t timeoutMs);
// Every step of a ping on the calling thread: start-up, look-up when the text is a name, the echo
// and the clean-up. The host text must have passed HostTextToPing.
PingOutcome PingHostBlocking(Request& request, const std::string& host, std::uint32_t timeoutMs);

// The pinger's side on the user-interface thread.
class Pinger {
 public:
  using ShowMessage = std::function<void(const std::string& text, std::uint32_t flags)>;

  Pinger(NetworkPort& network, BackgroundPort& background, ShowMessage showMessage);
  // A request still waiting when its pinger goes finishes without calling back.
  ~Pinger() = default;
  Pinger(const Pinger&) = delete;
  Pinger& operator=(const Pinger&) = delete;

  // PingHost: pings `host` and calls `done` exactly once, on the user-interface thread, with the
  // outcome; the sockets messages are shown first. A host text that cannot be pinged (blanks only,
  // too long, impossible characters) is answered at once, without touching the network.
  void PingHost(std::string_view host, std::uint32_t timeoutMs,
                std::function<void(PingOutcome)> done);

  // Requests started and not yet called back.
  int Waiting() const { return waiting_; }

 private:
  NetworkPort& network_;
  BackgroundPort& background_;
  ShowMessage showMessage_;
  int waiting_ = 0;
  std::shared_ptr<Pinger*> self_ = std::make_shared<Pinger*>(this);
};

}  // namespace zephyr::mdlPing
