// mdlPing over the fake network: which address an echo goes to, when a name is looked up, how
// Windows Sockets is started and cleaned up, what the user is told, and requests that overlap.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_background.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_network.h"
#include "pinger/ping.h"
#include "platform/dialog_port.h"

namespace zephyr::testing {
namespace {

using mdlPing::PingOutcome;

class Ping : public ::testing::Test {
 protected:
  Ping() {
    network.answers[{127, 0, 0, 1}] = {0, 3};
    network.answers[{10, 0, 0, 1}] = {0, 7};
    network.answers[{192, 168, 0, 1}] = {0, 2};
  }

  // Pings `host` and returns what the caller was told; fails the test unless it was told once.
  std::optional<PingOutcome> PingOnce(const std::string& host) {
    std::vector<PingOutcome> told;
    pinger.PingHost(host, mdlPing::kPingTimeoutMs, [&](PingOutcome o) { told.push_back(o); });
    EXPECT_EQ(told.size(), 1u) << host;
    EXPECT_EQ(network.openHandles.size(), 0u) << host;
    EXPECT_EQ(network.started, 0) << "start-ups left without clean-up for " << host;
    return told.empty() ? std::nullopt : std::optional(told.front());
  }
  std::optional<Ipv4Address> LastDestination() const {
    return network.echoes.empty() ? std::nullopt : std::optional(network.echoes.back().destination);
  }

  FakeNetwork network;
  FakeBackground background;
  FakeDialogs dialogs;
  mdlPing::Pinger pinger{network, background, [this](const std::string& text, std::uint32_t flags) {
                           dialogs.ShowMessage(0, text, "Zephyrnet", flags);
                         }};
};

TEST_F(Ping, DottedTextsGiveTheirAddressOrNothing) {
  const struct {
    const char* text;
    std::optional<Ipv4Address> address;
  } cases[] = {
      {"192.168.0.1", Ipv4Address{192, 168, 0, 1}},
      {"10.0.0.257", Ipv4Address{10, 0, 0, 1}},  // low 8 bits
      {"10.0.0.99999999999999999999", Ipv4Address{10, 0, 0, 255}},
      {"10.0.0", Ipv4Address{0, 0, 0, 0}},  // fewer than four parts
      {"7", Ipv4Address{0, 0, 0, 0}},
      {"1.2.3.4.5", std::nullopt},
      {"1.2.x.4", std::nullopt},
      {"1..3.4", std::nullopt},
      {"1.2.3.-4", std::nullopt},
      {"1.2.3.4.", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(mdlPing::AddressFromText(c.text), c.address) << c.text;
}

TEST_F(Ping, AnEchoGoesToTheAddressOfTheTextAndIsAnsweredOnlyByAReplyWithStatusZero) {
  network.answers[{10, 0, 0, 2}] = {11003, 0};  // destination host unreachable
  const struct {
    const char* host;
    std::optional<Ipv4Address> sentTo;
    bool answered;
  } cases[] = {
      {"192.168.0.1", Ipv4Address{192, 168, 0, 1}, true},
      {" 10.0.0.257  ", Ipv4Address{10, 0, 0, 1}, true},
      {"10.0.0", Ipv4Address{0, 0, 0, 0}, false},
      {"10.0.0.2", Ipv4Address{10, 0, 0, 2}, false},
      {"10.9.9.9", Ipv4Address{10, 9, 9, 9}, false},  // no answer within the timeout
      {"1.2.3.4.5", std::nullopt, false},
      {"1.2.x.4", std::nullopt, false},
  };
  for (const auto& c : cases) {
    network.echoes.clear();
    const auto outcome = PingOnce(c.host);
    EXPECT_EQ(LastDestination(), c.sentTo) << c.host;
    EXPECT_EQ(outcome && outcome->answered, c.answered) << c.host;
    EXPECT_TRUE(network.lookups.empty()) << c.host;
  }
  // The request as the platform saw it: its payload, the whole reply buffer, the timeout.
  PingOnce("127.0.0.1");
  const FakeNetwork::Echo& echo = network.echoes.back();
  EXPECT_EQ(echo.payload, "Echo This");
  EXPECT_EQ(echo.replySize, 278u);
  EXPECT_EQ(echo.timeoutMs, 10000u);
  EXPECT_EQ(PingOnce("127.0.0.1")->roundTripMs, 3u);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Ping, NamesAreLookedUpAndTheirFirstAddressPinged) {
  network.AddName("gateway.lan", {{10, 0, 0, 1}, {192, 168, 0, 1}});
  network.AddName("printer", {{192, 168, 0, 1}});
  network.AddName("10x.lan", {{127, 0, 0, 1}});
  const struct {
    const char* host;
    std::optional<Ipv4Address> sentTo;
    bool answered;
  } cases[] = {
      {"gateway.lan", Ipv4Address{10, 0, 0, 1}, true},
      {"printer", Ipv4Address{192, 168, 0, 1}, true},  // no dot: a name too
      {"10x.lan", Ipv4Address{127, 0, 0, 1}, true},    // the first part is not a number
      {"unknown.lan", std::nullopt, false},
  };
  for (const auto& c : cases) {
    network.echoes.clear();
    network.lookups.clear();
    network.startups = network.cleanups = 0;
    const auto outcome = PingOnce(c.host);
    EXPECT_EQ(network.lookups, std::vector<std::string>{c.host});
    EXPECT_EQ(LastDestination(), c.sentTo) << c.host;
    EXPECT_EQ(outcome && outcome->answered, c.answered) << c.host;
    // Once around the look-up, once around the echo.
    EXPECT_EQ(network.startups, 2) << c.host;
    EXPECT_EQ(network.cleanups, 2) << c.host;
  }
  network.startups = network.cleanups = 0;
  PingOnce("127.0.0.1");
  EXPECT_EQ(network.startups, 1);
  EXPECT_EQ(network.cleanups, 1);
}

TEST_F(Ping, HostTextsThatNoHostCouldHaveFailWithoutAPlatformCall) {
  for (const std::string& host :
       {std::string(""), std::string("   "), std::string(" \t "), std::string(256, 'a'),
        std::string("host name"), std::string("a;b"), std::string("http://x.lan"),
        std::string("\xE4.lan"), std::string("10.0.0.1\n")}) {
    const auto outcome = PingOnce(host);
    EXPECT_FALSE(outcome && outcome->answered) << host;
    EXPECT_EQ(network.Calls(), 0) << host;
  }
  network.AddName(std::string(255, 'a'), {{127, 0, 0, 1}});
  EXPECT_TRUE(PingOnce(std::string(255, 'a'))->answered);
}

TEST_F(Ping, SocketsFailuresAreToldWithTheirOwnWordsAndFailThePing) {
  const struct {
    const char* what;
    int startupError;
    std::uint16_t version;
    std::uint16_t maxSockets;
    int cleanupError;
    const char* text;
    std::uint32_t flags;
    bool answered;
  } cases[] = {
      {"start-up refused", 10091, 0x0101, 100, 0,
       "Windows Sockets for 32 bit Windows environments is not successfully responding.", kMbOk,
       false},
      {"version 1.0", 0, 0x0001, 100, 0,
       "Windows Sockets Version 1.0 is not supported by Windows Sockets for 32 bit Windows "
       "environments.",
       kMbIconWarning, false},
      {"version 0.2", 0, 0x0200, 100, 0,
       "Windows Sockets Version 0.2 is not supported by Windows Sockets for 32 bit Windows "
       "environments.",
       kMbIconWarning, false},
      {"no sockets", 0, 0x0101, 0, 0,
       "This application requires a minimum of 1 supported sockets.", kMbIconWarning, false},
      {"clean-up refused", 0, 0x0101, 100, -1, "Windows Sockets error -1 occurred in Cleanup.",
       kMbIconWarning, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    network = FakeNetwork();
    network.answers[{127, 0, 0, 1}] = {0, 1};
    network.startupError = c.startupError;
    network.startupData.version = c.version;
    network.startupData.maxSockets = c.maxSockets;
    network.cleanupError = c.cleanupError;
    dialogs.shown.clear();
    std::vector<PingOutcome> told;
    pinger.PingHost("127.0.0.1", 10000, [&](PingOutcome o) { told.push_back(o); });
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].answered, c.answered);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, c.text);
    EXPECT_EQ(dialogs.shown[0].flags, c.flags);
    EXPECT_EQ(dialogs.shown[0].title, "Zephyrnet");
    // A start-up that Windows Sockets granted is always given back.
    EXPECT_EQ(network.started, 0);
    EXPECT_EQ(network.echoes.size(), c.answered ? 1u : 0u);
  }
}

TEST_F(Ping, OverlappingRequestsEachGetTheirOwnAnswerAndAGonePingerIsNotCalledBack) {
  background.holdRequests = true;
  network.AddName("slow.lan", {{10, 9, 9, 9}});
  std::vector<std::pair<std::string, PingOutcome>> told;
  const auto record = [&](std::string what) {
    return [&told, what](PingOutcome o) { told.emplace_back(what, o); };
  };
  pinger.PingHost("slow.lan", 10000, record("slow"));
  pinger.PingHost("127.0.0.1", 10000, record("loopback"));
  EXPECT_EQ(pinger.Waiting(), 2);
  EXPECT_TRUE(told.empty());
  background.Finish(1);
  background.Finish(0);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[0].first, "loopback");
  EXPECT_TRUE(told[0].second.answered);
  EXPECT_EQ(told[1].first, "slow");
  EXPECT_FALSE(told[1].second.answered);
  ASSERT_EQ(network.echoes.size(), 2u);
  EXPECT_NE(network.echoes[0].handle, network.echoes[1].handle);
  EXPECT_TRUE(network.openHandles.empty());

  // The program ends while a request waits: its thread finishes, nobody is called back.
  told.clear();
  {
    mdlPing::Pinger leaving(network, background, [](const std::string&, std::uint32_t) {});
    leaving.PingHost("127.0.0.1", 10000, record("late"));
  }
  background.Finish(0);
  EXPECT_TRUE(told.empty());
  EXPECT_TRUE(network.openHandles.empty());
  EXPECT_EQ(network.started, 0);
}

}  // namespace
}  // namespace zephyr::testing
