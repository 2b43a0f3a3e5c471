// The sound port: PlaySoundA with a file name.
#pragma once

#include <cstdint>
#include <string>

namespace zephyr {

inline constexpr std::uint32_t kSndAsync = 0x0001;
inline constexpr std::uint32_t kSndFilename = 0x00020000;

class SoundPort {
 public:
  virtual ~SoundPort() = default;
  // PlaySoundA(path, no module, flags): whether the platform took the sound.
  virtual bool PlaySoundFile(const std::string& path, std::uint32_t flags) = 0;
};

}  // namespace zephyr
