// mdlLargestPacket: finds the largest packet that reaches a host whole, the path's MTU.
//
// Echo requests go out with the IP "don't fragment" flag, so a packet too large for some link on
// the way is refused ("fragmentation needed") or lost instead of split. A binary search over the
// payload size finds the largest echo that is answered; the MTU is that payload plus the 28 bytes
// of the IP and ICMP headers. The search itself (`Search`) is pure: it says which size to probe
// next and learns from each answer. `FindLargestPacket` runs it over the network port, on the
// calling thread; the pinger panel runs that on its worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pinger/ping.h"
#include "platform/background_port.h"
#include "platform/network_port.h"

namespace zephyr::mdlLargestPacket {

// The IP (20) and ICMP (8) headers around an echo's payload.
inline constexpr int kHeaderBytes = 28;
// The smallest payload probed, and the largest an IPv4 packet can carry (65535 - 28).
inline constexpr std::uint16_t kMinPayload = 68;
inline constexpr std::uint16_t kMaxPayload = 65507;
// Ethernet's 1500-byte packet: most paths carry it, so it is tried first.
inline constexpr std::uint16_t kFirstPayload = 1472;
inline constexpr int kMaxProbes = 20;
// Each probe's wait: long enough for a slow dial-up or satellite line, short enough that a
// cancelled search ends soon.
inline constexpr std::uint32_t kProbeTimeoutMs = 2000;

enum class ProbeKind { kAnswered, kTooBig, kTimedOut, kError };

struct ProbeAnswer {
  ProbeKind kind = ProbeKind::kError;
  std::uint32_t status = 0;  // the IP_STATUS behind an error
};

// What one echo came to: answered only with status 0 and the whole payload echoed back;
// "fragmentation needed" (IP_PACKET_TOO_BIG) and timeouts apart; anything else an error.
ProbeAnswer ClassifyEcho(const IcmpEchoResult& result, const std::uint8_t* reply,
                         std::size_t replySize, std::uint16_t payload);

enum class Outcome {
  kFound,             // the largest answered size, with a larger one refused or lost
  kSizeCap,           // even the largest echo there is was answered
  kNoAnswer,          // the host answered no echo at all
  kStoppedAnswering,  // it answered, then fell silent: the bound found is not to be trusted
  kProbeLimit,        // the probes ran out first; the largest answered size so far
  kCancelled,
  kNoHost,            // the text names no host that can be pinged
  kNoIcmp,            // the system's ICMP functions are missing, or the sockets did not start
};

struct Result {
  Outcome outcome = Outcome::kNoAnswer;
  std::uint16_t largestPayload = 0;  // the largest answered, when one was
  int probes = 0;
  int answered = 0;
  int tooBig = 0;
  int timedOut = 0;
  int errors = 0;
  std::uint32_t lastErrorStatus = 0;
  // The MTU to offer: the largest answered payload plus the headers, for kFound, kSizeCap and
  // kProbeLimit; nothing otherwise.
  std::optional<int> ProposedMtu() const;
};

// The search: 1472 first; if that is not answered, the smallest size, to learn whether the host
// answers at all; if it is, the largest size. Then halving between the largest answered and the
// smallest not answered until they meet. When that smallest was lost rather than refused, the
// largest answered size is probed once more: a host that no longer answers it has gone away
// rather than met a link's limit.
class Search {
 public:
  // The payload size to send next; nothing when the search has finished.
  std::optional<std::uint16_t> NextProbe() const;
  void Record(std::uint16_t payload, ProbeAnswer answer);
  void Cancel() { cancelled_ = true; }
  Result Finish() const;

 private:
  bool Converged() const;

  std::optional<std::uint16_t> good_;  // the largest size answered
  std::optional<std::uint16_t> bad_;   // the smallest size not answered
  ProbeKind badKind_ = ProbeKind::kTooBig;
  bool confirming_ = false;  // the last probe asked again for good_
  bool confirmFailed_ = false;
  bool confirmed_ = false;
  bool cancelled_ = false;
  bool minimumFailed_ = false;
  Result counts_;
};

// Runs a whole search to `host` (a dotted address or a name, as HostTextToPing accepts it) on the
// calling thread: sockets start-up, look-up, one ICMP handle for every probe, clean-up. `cancel`
// is read before each probe. `address` receives the dotted address probed.
Result FindLargestPacket(mdlPing::Request& request, const std::string& host,
                         const std::atomic<bool>& cancel, std::string* address = nullptr);

// The result line the pinger panel shows for `host`, with the time the search took.
std::string ResultText(std::string_view host, const Result& result, std::uint32_t elapsedMs);

// The search's side on the user-interface thread: one search at a time on a worker thread, its
// result (and any sockets message) delivered on the user-interface thread.
class Finder {
 public:
  Finder(NetworkPort& network, BackgroundPort& background,
         mdlPing::Pinger::ShowMessage showMessage);
  // A search still running when its finder goes is told to stop and finishes without calling back.
  ~Finder();
  Finder(const Finder&) = delete;
  Finder& operator=(const Finder&) = delete;

  // Starts a search to `host` (it must have passed HostTextToPing); `done` runs once, on the
  // user-interface thread. False, and nothing started, while another search runs.
  bool Find(const std::string& host, std::function<void(const Result&)> done);
  // The running search stops before its next probe and reports kCancelled.
  void Cancel();
  bool Running() const { return running_ != nullptr; }

 private:
  NetworkPort& network_;
  BackgroundPort& background_;
  mdlPing::Pinger::ShowMessage showMessage_;
  std::shared_ptr<std::atomic<bool>> running_;  // the running search's cancel flag
  std::shared_ptr<Finder*> self_ = std::make_shared<Finder*>(this);
};

}  // namespace zephyr::mdlLargestPacket
