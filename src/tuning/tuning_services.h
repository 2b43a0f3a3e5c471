// What the two tuning panels (the wizard and the advanced mode) need of the program: the tuning
// set they edit, the presets, the preview that applies it, and the way back to the menu.
#pragma once

#include <functional>

#include "tuning/presets.h"
#include "tuning/tuning_params.h"

namespace zephyr {

class TuningServices {
 public:
  // The set the panels edit and the program applies.
  virtual TuningParams& currentTuning() = 0;
  virtual const Presets& presets() const = 0;
  // Shows what applying the current set will write; `applied` runs after Apply there, `cancelled`
  // after Cancel or closing it.
  virtual void PreviewCurrentTuningSet(std::function<void(const ApplyResult&)> applied,
                                       std::function<void()> cancelled = {}) = 0;
  // The movie in front again, at its home.
  virtual void ReturnMovieHome() = 0;

 protected:
  ~TuningServices() = default;
};

}  // namespace zephyr
