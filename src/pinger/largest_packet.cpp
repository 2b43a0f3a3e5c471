#include "pinger/largest_packet.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zephyr::mdlLargestPacket {
namespace {

std::uint32_t Field32(const std::uint8_t* bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

ProbeAnswer FromStatus(std::uint32_t status) {
  switch (status) {
    case kIpPacketTooBig: return {ProbeKind::kTooBig, status};
    case kIpReqTimedOut: return {ProbeKind::kTimedOut, status};
    default: return {ProbeKind::kError, status == kIpSuccess ? kIpGeneralFailure : status};
  }
}

// ICMP_ECHO_REPLY of 32-bit Windows: the status at 4, the echoed data's size at 12.
constexpr std::size_t kReplyRecordSize = 28;
// Room after the echoed data for the IP options and an ICMP error message, as IcmpSendEcho asks.
constexpr std::size_t kReplySlack = 8 + 40;

}  // namespace

ProbeAnswer ClassifyEcho(const IcmpEchoResult& result, const std::uint8_t* reply,
                         std::size_t replySize, std::uint16_t payload) {
  if (result.replies == 0) return FromStatus(result.lastError);
  if (replySize < kReplyRecordSize) return {ProbeKind::kError, kIpGeneralFailure};
  const std::uint32_t status = Field32(reply, 4);
  if (status != kIpSuccess) return FromStatus(status);
  const std::uint16_t echoed = static_cast<std::uint16_t>(reply[12] | reply[13] << 8);
  // A reply that brings back less than was sent did not carry the whole packet.
  if (echoed != payload) return {ProbeKind::kError, kIpGeneralFailure};
  return {ProbeKind::kAnswered, kIpSuccess};
}

std::optional<int> Result::ProposedMtu() const {
  switch (outcome) {
    case Outcome::kFound:
    case Outcome::kSizeCap:
    case Outcome::kProbeLimit: return largestPayload + kHeaderBytes;
    default: return std::nullopt;
  }
}

bool Search::Converged() const { return good_ && bad_ && *bad_ - *good_ <= 1; }

std::optional<std::uint16_t> Search::NextProbe() const {
  if (cancelled_ || confirmed_ || confirmFailed_ || counts_.probes >= kMaxProbes) {
    return std::nullopt;
  }
  if (!good_) {
    if (counts_.probes == 0) return kFirstPayload;
    if (!minimumFailed_) return kMinPayload;
    return std::nullopt;
  }
  if (*good_ == kMaxPayload) return std::nullopt;
  if (!bad_) return kMaxPayload;
  if (!Converged()) return static_cast<std::uint16_t>(*good_ + (*bad_ - *good_) / 2);
  if (badKind_ != ProbeKind::kTooBig) return *good_;
  return std::nullopt;
}

void Search::Record(std::uint16_t payload, ProbeAnswer answer) {
  ++counts_.probes;
  switch (answer.kind) {
    case ProbeKind::kAnswered: ++counts_.answered; break;
    case ProbeKind::kTooBig: ++counts_.tooBig; break;
    case ProbeKind::kTimedOut: ++counts_.timedOut; break;
    case ProbeKind::kError:
      ++counts_.errors;
      counts_.lastErrorStatus = answer.status;
      break;
  }
  const bool answered = answer.kind == ProbeKind::kAnswered;
  if (Converged() && payload == *good_) {
    (answered ? confirmed_ : confirmFailed_) = true;
    return;
  }
  if (answered) {
    if (!good_ || payload > *good_) good_ = payload;
    // A larger answer shows that an earlier loss at this size or below was chance.
    if (bad_ && *bad_ <= payload) bad_.reset();
    return;
  }
  if (!good_ && payload == kMinPayload) minimumFailed_ = true;
  if (!bad_ || payload < *bad_) {
    bad_ = payload;
    badKind_ = answer.kind;
  }
}

Result Search::Finish() const {
  Result result = counts_;
  if (good_) result.largestPayload = *good_;
  if (cancelled_) {
    result.outcome = Outcome::kCancelled;
  } else if (!good_) {
    result.outcome = Outcome::kNoAnswer;
  } else if (confirmFailed_) {
    result.outcome = Outcome::kStoppedAnswering;
  } else if (*good_ == kMaxPayload) {
    result.outcome = Outcome::kSizeCap;
  } else if (Converged() && (badKind_ == ProbeKind::kTooBig || confirmed_)) {
    result.outcome = Outcome::kFound;
  } else {
    result.outcome = Outcome::kProbeLimit;
  }
  return result;
}

Result FindLargestPacket(mdlPing::Request& request, const std::string& host,
                         const std::atomic<bool>& cancel, std::string* address) {
  Result failed;
  if (!mdlPing::SocketsStartup(request)) {
    failed.outcome = Outcome::kNoIcmp;
    return failed;
  }
  std::string target = host;
  if (!mdlPing::IsNumericDottedAddress(target)) {
    const std::vector<std::string> addresses = mdlPing::ResolveHostName(request, target);
    target = addresses.empty() ? std::string() : addresses.front();
  }
  const std::optional<Ipv4Address> destination =
      target.empty() ? std::nullopt : mdlPing::AddressFromText(target);
  // A dotted text of fewer than four parts stands for 0.0.0.0, which no host answers.
  if (!destination || *destination == Ipv4Address{}) {
    mdlPing::SocketsCleanup(request);
    failed.outcome = Outcome::kNoHost;
    return failed;
  }
  if (address) *address = target;
  const std::uintptr_t handle = request.network.IcmpCreateFile();
  if (handle == kInvalidIcmpHandle) {
    mdlPing::SocketsCleanup(request);
    failed.outcome = Outcome::kNoIcmp;
    return failed;
  }

  // The payload repeats the alphabet's first letters, as the system's own ping sends.
  std::vector<std::uint8_t> payload(kMaxPayload);
  for (std::size_t i = 0; i < payload.size(); ++i) {
    payload[i] = static_cast<std::uint8_t>('a' + i % 23);
  }
  std::vector<std::uint8_t> reply(kReplyRecordSize + kMaxPayload + kReplySlack);
  const IcmpOptions options{.flags = kIpFlagDontFragment};

  Search search;
  while (const std::optional<std::uint16_t> size = search.NextProbe()) {
    if (cancel.load()) {
      search.Cancel();
      break;
    }
    std::fill(reply.begin(), reply.begin() + kReplyRecordSize, std::uint8_t{0});
    const IcmpEchoResult sent = request.network.IcmpSendEchoWithOptions(
        handle, *destination, payload.data(), *size, options, reply.data(),
        static_cast<std::uint32_t>(reply.size()), kProbeTimeoutMs);
    search.Record(*size, ClassifyEcho(sent, reply.data(), reply.size(), *size));
  }
  request.network.IcmpCloseHandle(handle);
  mdlPing::SocketsCleanup(request);
  return search.Finish();
}

Finder::Finder(NetworkPort& network, BackgroundPort& background,
               mdlPing::Pinger::ShowMessage showMessage)
    : network_(network), background_(background), showMessage_(std::move(showMessage)) {}

Finder::~Finder() {
  if (running_) running_->store(true);
}

bool Finder::Find(const std::string& host, std::function<void(const Result&)> done) {
  if (running_) return false;
  struct Shared {
    explicit Shared(NetworkPort& network) : request(network) {}
    mdlPing::Request request;
    Result result;
  };
  auto shared = std::make_shared<Shared>(network_);
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  running_ = cancel;
  background_.Run(
      [shared, cancel, host] {
        shared->result = FindLargestPacket(shared->request, host, *cancel);
      },
      [shared, self = std::weak_ptr<Finder*>(self_), done = std::move(done)] {
        if (self.expired()) return;
        Finder* finder = *self.lock();
        finder->running_.reset();
        for (const mdlPing::SocketsMessage& message : shared->request.messages) {
          finder->showMessage_(message.text, message.flags);
          if (self.expired()) return;
        }
        done(shared->result);
      });
  return true;
}

void Finder::Cancel() {
  if (running_) running_->store(true);
}

std::string ResultText(std::string_view host, const Result& result, std::uint32_t elapsedMs) {
  const std::string name(host);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", elapsedMs / 1000.0);
  const std::string probes = std::to_string(result.probes) +
                             (result.probes == 1 ? " probe in " : " probes in ") + seconds + " s";
  const std::string size = result.largestPayload == 0
                               ? std::string()
                               : std::to_string(result.largestPayload + kHeaderBytes) +
                                     " bytes (" + std::to_string(result.largestPayload) +
                                     " of data)";
  std::string missed = "Not answered: ";
  if (result.tooBig + result.timedOut + result.errors == 0) {
    missed += "none.";
  } else {
    missed += std::to_string(result.tooBig) + " fragmentation needed, " +
              std::to_string(result.timedOut) + " timed out, " + std::to_string(result.errors) +
              (result.errors == 1 ? " error" : " errors");
    if (result.errors > 0) missed += " (status " + std::to_string(result.lastErrorStatus) + ")";
    missed += ".";
  }
  switch (result.outcome) {
    case Outcome::kFound:
      return "Largest packet to " + name + ": " + size + ", " + probes + ". " + missed;
    case Outcome::kSizeCap:
      return name + " answers even the largest echo: " + size + ", " + probes + ". " + missed;
    case Outcome::kProbeLimit:
      return "Largest packet answered by " + name + ": " + size + " after " + probes +
             "; the search stopped before the limit was certain. " + missed;
    case Outcome::kNoAnswer:
      return name + " answered none of " + std::to_string(result.probes) +
             " echoes: no size to propose. " + missed;
    case Outcome::kStoppedAnswering:
      return name + " stopped answering during the search (last answered: " + size +
             "): no size to propose. " + missed;
    case Outcome::kCancelled:
      return "Search for the largest packet to " + name + " cancelled after " + probes +
             ": no size to propose.";
    case Outcome::kNoHost:
      return "Cannot find the host " + name + ": no size to propose.";
    case Outcome::kNoIcmp:
      return "ICMP echo is not available on this computer: no size to propose.";
  }
  return {};
}

}  // namespace zephyr::mdlLargestPacket
