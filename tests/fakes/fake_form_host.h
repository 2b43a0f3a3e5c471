// Puts a form model "on screen" without windows: it loads the form, records every change the
// binder would mirror into a window, and gives tests the hands of a user. Controls are named as
// other tools find them ("cmdSave", "optMode(4)"). A user action on a control a user could not
// reach (missing, disabled, hidden, locked, or a form that is not loaded) is refused, and
// Refusal() says why.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form_model.h"

namespace zephyr::testing {

class FakeFormHost final : public ui::FormObserver {
 public:
  struct Mirrored {
    std::string control;  // automation name; the form's own name for a change of the form
    ui::Property property;
  };

  // Observes `form` from now on; the scheduler runs its timers once it is loaded. The host must
  // not outlive the form.
  FakeFormHost(ui::Form& form, ui::TimerScheduler& timers);
  ~FakeFormHost() override;
  FakeFormHost(const FakeFormHost&) = delete;
  FakeFormHost& operator=(const FakeFormHost&) = delete;

  void Load() { form_.Load(timers_); }
  void Unload() { form_.Unload(); }

  // The names of the windows the binder would create, one per control except timers, in tab
  // order.
  std::vector<std::string> WindowNames() const;

  const std::vector<Mirrored>& MirroredChanges() const { return mirrored_; }
  // How often `property` of the named control (or form) was mirrored.
  std::size_t MirrorCount(std::string_view control, ui::Property property) const;
  void ClearMirrored() { mirrored_.clear(); }

  // A click on a button, check box or option button.
  bool Click(std::string_view control);
  // Keys typed at the end of a text box, one Change each.
  bool Type(std::string_view control, std::string_view keys);
  // Everything in a text box or an editable combo box selected and replaced.
  bool ReplaceText(std::string_view control, std::string_view text);
  // An entry of a combo box, by index or by its text.
  bool Select(std::string_view control, int index);
  bool SelectText(std::string_view control, std::string_view item);
  bool ClickColumn(std::string_view control, int column);
  bool ClickItem(std::string_view control, std::size_t item);
  bool MoveSlider(std::string_view control, int value);
  bool Spin(std::string_view control, int steps);
  // A button of a movie, which sends `command`.
  bool PressMovieButton(std::string_view control, std::string_view command);
  // Alt and a letter: clicks the control whose caption has that mnemonic.
  bool PressMnemonic(char letter);

  const std::string& Refusal() const { return refusal_; }

  void ControlChanged(ui::Control& control, ui::Property what) override;
  void FormChanged(ui::Form& form, ui::Property what) override;

 private:
  // The named control if it is of one of `kinds` and a user can reach it; otherwise null, with
  // the refusal set.
  ui::Control* Reachable(std::string_view name, std::initializer_list<ui::ControlKind> kinds);
  bool Refuse(std::string reason);
  bool Taken(bool taken, std::string_view name);

  ui::Form& form_;
  ui::TimerScheduler& timers_;
  std::vector<Mirrored> mirrored_;
  std::string refusal_;
};

}  // namespace zephyr::testing
