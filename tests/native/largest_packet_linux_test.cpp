// The largest-packet search through the Linux network stack: run by mtu_namespace.sh, which makes
// a link of a known MTU to a far end in a namespace of its own, the search must find that MTU
// exactly; over loopback it finds the loopback interface's limit or the size cap.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "native/linux_network.h"
#include "pinger/largest_packet.h"

namespace zephyr::testing {
namespace {

mdlLargestPacket::Result Find(LinuxNetwork& network, const std::string& host) {
  mdlPing::Request request(network);
  const std::atomic<bool> cancel{false};
  const auto result = mdlLargestPacket::FindLargestPacket(request, host, cancel);
  std::printf("%s\n", mdlLargestPacket::ResultText(host, result, 0).c_str());
  return result;
}

TEST(LargestPacketLinux, TheFarEndOfALinkGivesTheLinksMtuExactly) {
  const char* far = std::getenv("ZEPHYR_FAR_ADDRESS");
  const char* expected = std::getenv("ZEPHYR_EXPECT_MTU");
  if (!far || !expected) GTEST_SKIP() << "run through tests/wine/mtu_namespace.sh";
  const int mtu = std::atoi(expected);
  LinuxNetwork network;
  const auto result = Find(network, far);
  EXPECT_EQ(result.outcome, mdlLargestPacket::Outcome::kFound);
  EXPECT_EQ(result.ProposedMtu(), mtu);
  EXPECT_GT(result.tooBig, 0) << "larger packets are refused, not lost";
  EXPECT_EQ(result.timedOut + result.errors, 0);
  EXPECT_LE(result.probes, mdlLargestPacket::kMaxProbes);

  // The flag is what stops them: without it the same larger echo crosses the link in pieces.
  const std::uintptr_t handle = network.IcmpCreateFile();
  const std::vector<std::uint8_t> payload(static_cast<std::size_t>(mtu), 'a');
  std::vector<std::uint8_t> reply(28 + payload.size() + 64);
  const std::optional<Ipv4Address> address = mdlPing::AddressFromText(far);
  ASSERT_TRUE(address);
  const auto size = static_cast<std::uint16_t>(payload.size());
  EXPECT_EQ(network.IcmpSendEcho(handle, *address, payload.data(), size, reply.data(),
                                 static_cast<std::uint32_t>(reply.size()), 2000),
            1u);
  const auto refused = network.IcmpSendEchoWithOptions(
      handle, *address, payload.data(), size, {.flags = kIpFlagDontFragment}, reply.data(),
      static_cast<std::uint32_t>(reply.size()), 2000);
  EXPECT_EQ(mdlLargestPacket::ClassifyEcho(refused, reply.data(), reply.size(), size).kind,
            mdlLargestPacket::ProbeKind::kTooBig);
  network.IcmpCloseHandle(handle);
}

TEST(LargestPacketLinux, LoopbackGivesItsOwnLimitOrTheSizeCap) {
  if (!std::getenv("ZEPHYR_FAR_ADDRESS")) GTEST_SKIP() << "run through tests/wine/mtu_namespace.sh";
  int loopbackMtu = 0;
  std::ifstream("/sys/class/net/lo/mtu") >> loopbackMtu;
  ASSERT_GT(loopbackMtu, 0);
  LinuxNetwork network;
  const auto result = Find(network, "127.0.0.1");
  if (loopbackMtu >= 65535) {
    EXPECT_EQ(result.outcome, mdlLargestPacket::Outcome::kSizeCap);
    EXPECT_EQ(result.ProposedMtu(), 65535);
  } else {
    EXPECT_EQ(result.outcome, mdlLargestPacket::Outcome::kFound);
    EXPECT_EQ(result.ProposedMtu(), loopbackMtu);
  }
}

}  // namespace
}  // namespace zephyr::testing
