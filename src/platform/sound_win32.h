// The real sound port: PlaySoundA of WINMM.dll.
#pragma once

#include "platform/sound_port.h"

namespace zephyr {

class SoundWin32 final : public SoundPort {
 public:
  bool PlaySoundFile(const std::string& path, std::uint32_t flags) override;
};

}  // namespace zephyr
