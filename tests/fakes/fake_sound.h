// Sounds a test reads instead of hearing them.
#pragma once

#include <string>
#include <vector>

#include "platform/sound_port.h"

namespace zephyr::testing {

class FakeSound final : public SoundPort {
 public:
  struct Played {
    std::string path;
    std::uint32_t flags;
    friend bool operator==(const Played&, const Played&) = default;
  };
  std::vector<Played> played;

  bool PlaySoundFile(const std::string& path, std::uint32_t flags) override {
    played.push_back({path, flags});
    return true;
  }
};

}  // namespace zephyr::testing
