// mdlLargestPacket over the fake network: the size each kind of path yields, the probes it takes,
// how each kind of answer counts, a host that falls silent, cancelling, and the result line.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <optional>
#include <string>

#include "fakes/fake_network.h"
#include "pinger/largest_packet.h"

namespace zephyr::testing {
namespace {

using mdlLargestPacket::Outcome;
using mdlLargestPacket::ProbeKind;

constexpr Ipv4Address kHost{10, 1, 2, 2};

class LargestPacket : public ::testing::Test {
 protected:
  mdlLargestPacket::Result Find(const std::string& host = "10.1.2.2") {
    mdlPing::Request request(network);
    const auto result = mdlLargestPacket::FindLargestPacket(request, host, cancel);
    EXPECT_TRUE(network.openHandles.empty());
    EXPECT_EQ(network.started, 0) << "start-ups left without clean-up";
    return result;
  }

  FakeNetwork network;
  std::atomic<bool> cancel{false};
};

TEST_F(LargestPacket, EachPathGivesItsOwnLimitWithinTwentyDontFragmentProbes) {
  const struct {
    const char* name;
    std::optional<std::uint16_t> limit;  // largest payload that passes; none: every size
    std::uint32_t above;                 // what a larger echo meets
    Outcome outcome;
    std::optional<int> mtu;
  } cases[] = {
      {"Ethernet", 1472, kIpPacketTooBig, Outcome::kFound, 1500},
      {"PPPoE", 1464, kIpPacketTooBig, Outcome::kFound, 1492},
      {"odd limit", 1001, kIpPacketTooBig, Outcome::kFound, 1029},
      {"black hole", 1252, kIpReqTimedOut, Outcome::kFound, 1280},
      {"unreachable above", 1372, kIpDestHostUnreachable, Outcome::kFound, 1400},
      {"smallest", 68, kIpPacketTooBig, Outcome::kFound, 96},
      {"just below the cap", 65506, kIpPacketTooBig, Outcome::kFound, 65534},
      {"no limit", std::nullopt, 0, Outcome::kSizeCap, 65535},
      {"below the smallest", 60, kIpPacketTooBig, Outcome::kNoAnswer, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    network = FakeNetwork();
    network.answers[kHost] = {};
    if (c.limit) network.pathLimits[kHost] = {.largestPayload = *c.limit, .aboveStatus = c.above};
    const auto result = Find();
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.ProposedMtu(), c.mtu);
    EXPECT_LE(result.probes, mdlLargestPacket::kMaxProbes);
    EXPECT_EQ(result.probes, static_cast<int>(network.echoes.size()));
    EXPECT_EQ(result.answered + result.tooBig + result.timedOut + result.errors, result.probes);
    for (const FakeNetwork::Echo& echo : network.echoes) {
      EXPECT_EQ(echo.options.flags, kIpFlagDontFragment);
      EXPECT_EQ(echo.timeoutMs, mdlLargestPacket::kProbeTimeoutMs);
      EXPECT_GE(echo.payload.size(), 68u);
      EXPECT_LE(echo.payload.size(), 65507u);
      EXPECT_GE(echo.replySize, 28u + echo.payload.size() + 8u);
    }
  }
}

TEST_F(LargestPacket, AnswersThatDoNotCountAreToldApart) {
  const auto reply = [](std::uint32_t status, std::uint16_t echoed) {
    std::array<std::uint8_t, 28> bytes{};
    std::memcpy(&bytes[4], &status, 4);
    std::memcpy(&bytes[12], &echoed, 2);
    return bytes;
  };
  const struct {
    IcmpEchoResult result;
    std::uint32_t status;
    std::uint16_t echoed;
    ProbeKind kind;
    std::uint32_t reported;
  } cases[] = {
      {{1, 0}, 0, 1000, ProbeKind::kAnswered, 0},
      {{1, 0}, 0, 999, ProbeKind::kError, kIpGeneralFailure},  // not all of it came back
      {{1, 0}, kIpPacketTooBig, 0, ProbeKind::kTooBig, kIpPacketTooBig},
      {{1, 0}, kIpReqTimedOut, 0, ProbeKind::kTimedOut, kIpReqTimedOut},
      {{1, 0}, kIpDestHostUnreachable, 0, ProbeKind::kError, kIpDestHostUnreachable},
      {{0, kIpPacketTooBig}, 0, 0, ProbeKind::kTooBig, kIpPacketTooBig},
      {{0, kIpReqTimedOut}, 0, 0, ProbeKind::kTimedOut, kIpReqTimedOut},
      {{0, 0}, 0, 0, ProbeKind::kError, kIpGeneralFailure},
  };
  for (const auto& c : cases) {
    const auto bytes = reply(c.status, c.echoed);
    const auto answer = mdlLargestPacket::ClassifyEcho(c.result, bytes.data(), bytes.size(), 1000);
    EXPECT_EQ(answer.kind, c.kind) << c.status << " " << c.result.lastError;
    EXPECT_EQ(answer.status, c.reported) << c.status << " " << c.result.lastError;
  }
}

TEST_F(LargestPacket, AHostThatFallsSilentMidwayProposesNothing) {
  // Answers a few echoes, then nothing: every later size is lost, and asking again for the
  // largest answered size shows that the host has gone, not that a link has a limit.
  for (int answers : {1, 2, 5}) {
    SCOPED_TRACE(answers);
    network = FakeNetwork();
    network.answers[kHost] = {};
    network.pathLimits[kHost] = {.largestPayload = 1372};
    network.answersLeft = answers;
    const auto result = Find();
    EXPECT_EQ(result.outcome, Outcome::kStoppedAnswering);
    EXPECT_EQ(result.ProposedMtu(), std::nullopt);
    EXPECT_EQ(result.answered, answers);
    EXPECT_LE(result.probes, mdlLargestPacket::kMaxProbes);
  }
  // A host that never answers costs two probes: the usual size and the smallest.
  network = FakeNetwork();
  const auto silent = Find();
  EXPECT_EQ(silent.outcome, Outcome::kNoAnswer);
  EXPECT_EQ(silent.probes, 2);
  EXPECT_EQ(silent.timedOut, 2);
}

TEST_F(LargestPacket, CancellingStopsBeforeTheNextProbeAndHostsThatCannotBeProbedSendNothing) {
  network.answers[kHost] = {};
  network.pathLimits[kHost] = {.largestPayload = 1372};
  network.onEcho = [&](const FakeNetwork::Echo&) {
    if (network.echoes.size() == 3) cancel = true;
  };
  const auto cancelled = Find();
  EXPECT_EQ(cancelled.outcome, Outcome::kCancelled);
  EXPECT_EQ(cancelled.probes, 3);
  EXPECT_EQ(cancelled.ProposedMtu(), std::nullopt);

  network = FakeNetwork();
  cancel = false;
  EXPECT_EQ(Find("no.such.host").outcome, Outcome::kNoHost);
  EXPECT_EQ(Find("10.1.2").outcome, Outcome::kNoHost);  // 0.0.0.0: nothing to probe
  network.icmpUnavailable = true;
  EXPECT_EQ(Find().outcome, Outcome::kNoIcmp);
  network.startupError = 10091;
  EXPECT_EQ(Find().outcome, Outcome::kNoIcmp);
  EXPECT_TRUE(network.echoes.empty());
}

TEST_F(LargestPacket, TheResultLineNamesTheSizeTheProbesTheTimeAndEachKindOfMiss) {
  using mdlLargestPacket::Result;
  const struct {
    Result result;
    std::uint32_t ms;
    const char* text;
  } cases[] = {
      {{Outcome::kFound, 1372, 14, 8, 5, 1, 0}, 420,
       "Largest packet to h: 1400 bytes (1372 of data), 14 probes in 0.4 s. Not answered: 5 "
       "fragmentation needed, 1 timed out, 0 errors."},
      {{Outcome::kSizeCap, 65507, 2, 2}, 30,
       "h answers even the largest echo: 65535 bytes (65507 of data), 2 probes in 0.0 s. Not "
       "answered: none."},
      {{Outcome::kNoAnswer, 0, 2, 0, 0, 1, 1, kIpDestHostUnreachable}, 2000,
       "h answered none of 2 echoes: no size to propose. Not answered: 0 fragmentation needed, 1 "
       "timed out, 1 error (status 11003)."},
      {{Outcome::kStoppedAnswering, 1472, 19, 1, 0, 18}, 36000,
       "h stopped answering during the search (last answered: 1500 bytes (1472 of data)): no "
       "size to propose. Not answered: 0 fragmentation needed, 18 timed out, 0 errors."},
      {{Outcome::kCancelled, 1472, 3, 1, 2}, 1500,
       "Search for the largest packet to h cancelled after 3 probes in 1.5 s: no size to "
       "propose."},
      {{Outcome::kNoHost}, 0, "Cannot find the host h: no size to propose."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mdlLargestPacket::ResultText("h", c.result, c.ms), c.text);
  }
}

}  // namespace
}  // namespace zephyr::testing
