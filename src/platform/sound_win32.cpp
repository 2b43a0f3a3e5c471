#include "platform/sound_win32.h"

#include <windows.h>
#include <mmsystem.h>

namespace zephyr {

static_assert(kSndAsync == SND_ASYNC && kSndFilename == SND_FILENAME);

bool SoundWin32::PlaySoundFile(const std::string& path, std::uint32_t flags) {
  return PlaySoundA(path.c_str(), nullptr, flags) != FALSE;
}

}  // namespace zephyr
