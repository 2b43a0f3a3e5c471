// Sends echo requests with "don't fragment" set through the real network port and prints what
// came back, to see whether the system's ICMP honours the flag:
//   icmp_df_probe ADDRESS SIZE...    one line per payload size: replies, status, echoed size
//   icmp_df_probe ADDRESS --find     the pinger's whole search, its result line and its MTU
// Only for addresses of the test's own: loopback or a network namespace it made.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pinger/largest_packet.h"
#include "pinger/ping.h"
#include "platform/network_win32.h"

int main(int argc, char** argv) {
  using namespace zephyr;
  if (argc < 3) {
    std::fprintf(stderr, "usage: icmp_df_probe ADDRESS (SIZE... | --find)\n");
    return 2;
  }
  NetworkWin32 network;
  const std::string host = argv[1];
  if (std::strcmp(argv[2], "--find") == 0) {
    mdlPing::Request request(network);
    const std::atomic<bool> cancel{false};
    const mdlLargestPacket::Result result =
        mdlLargestPacket::FindLargestPacket(request, host, cancel);
    std::printf("%s\n", mdlLargestPacket::ResultText(host, result, 0).c_str());
    std::printf("mtu %d\n", result.ProposedMtu().value_or(0));
    return 0;
  }
  const std::optional<Ipv4Address> address = mdlPing::AddressFromText(host);
  WsaData data;
  if (!address || network.WsaStartup(mdlPing::kWinsockVersion11, data) != 0) return 1;
  const std::uintptr_t handle = network.IcmpCreateFile();
  if (handle == kInvalidIcmpHandle) return 1;
  std::vector<std::uint8_t> payload(65535, 'a');
  std::vector<std::uint8_t> reply(28 + 65535 + 64);
  for (int i = 2; i < argc; ++i) {
    const auto size = static_cast<std::uint16_t>(std::atoi(argv[i]));
    std::memset(reply.data(), 0, 28);
    const IcmpEchoResult sent = network.IcmpSendEchoWithOptions(
        handle, *address, payload.data(), size, {.flags = kIpFlagDontFragment}, reply.data(),
        static_cast<std::uint32_t>(reply.size()), 2000);
    std::uint32_t status = 0;
    std::uint16_t echoed = 0;
    std::memcpy(&status, &reply[4], 4);
    std::memcpy(&echoed, &reply[12], 2);
    const mdlLargestPacket::ProbeAnswer answer =
        mdlLargestPacket::ClassifyEcho(sent, reply.data(), reply.size(), size);
    std::printf("payload %u: replies %u, last error %u, status %u, echoed %u, %s\n", size,
                sent.replies, sent.lastError, status, echoed,
                answer.kind == mdlLargestPacket::ProbeKind::kAnswered  ? "answered"
                : answer.kind == mdlLargestPacket::ProbeKind::kTooBig  ? "too big"
                : answer.kind == mdlLargestPacket::ProbeKind::kTimedOut ? "timed out"
                                                                         : "error");
  }
  network.IcmpCloseHandle(handle);
  network.WsaCleanup();
  return 0;
}
