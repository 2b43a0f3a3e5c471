#include "tuning/wizard_mode_form.h"

#include "tuning/tuning_services.h"

namespace zephyr {
namespace {

std::string Flag(bool value) { return value ? "True" : "False"; }

}  // namespace

std::string ModeDescription(const TuningParams& p) {
  const std::string tab = "\t";
  const std::string crlf = "\r\n";
  using std::to_string;
  return "MSS = " + to_string(p.MSS) + tab + "MTU = " + to_string(p.MTU) + tab + tab +
         "ICMP = " + Flag(p.ICMPRedirects) + crlf + crlf +
         "NDI = " + to_string(p.NDICacheSize) + tab + "MSCPS0 = " +
         to_string(p.MaxConnectionsPer1_0Server) + tab + tab + "MSCPS1 = " +
         to_string(p.MaxConnectionsPerServer) + crlf + crlf +
         "BlackHole = " + Flag(p.PMTUBlackHoleDetect) + tab + "RWIN = " + to_string(p.RWIN) +
         tab + crlf +
         "Keep Alive = " + to_string(p.KeepAliveTime) + crlf + crlf +
         "Keep Alive Interval= " + to_string(p.KeepAliveInterval) + tab + "SYN = " +
         to_string(p.SYNAttackProtect) + tab + tab + "TTL= " + to_string(p.TTL) + crlf + crlf;
}

WizardModeForm::WizardModeForm(TuningServices& program)
    : ui::Form({.name = "frmWizardMode", .caption = "Wizard Mode",
                .bounds = {0, 0, ui::kPanelFrameWidth, 250}}),
      program_(program) {
  optMode.Connect(&ui::OptionButton::Click, [this](int index) { optMode_Click(index); });
  cmdOptimize.Click.Connect(this, &WizardModeForm::cmdOptimize_Click);
}

void WizardModeForm::Form_Load() {
  program_.currentTuning() = program_.presets()[0];
  ShowModeDescription();
}

void WizardModeForm::optMode_Click(int index) {
  program_.currentTuning() = program_.presets()[static_cast<std::size_t>(index)];
  ShowModeDescription();
}

void WizardModeForm::ShowModeDescription() {
  lblModeDescrip.SetCaption(ModeDescription(program_.currentTuning()));
}

void WizardModeForm::cmdOptimize_Click() {
  // The changes are shown first; only Apply there writes them.
  program_.PreviewCurrentTuningSet([this](const ApplyResult& result) {
    // After a failed backup the user stays where the problem is.
    if (result.outcome != ApplyResult::Outcome::kBackupFailed) program_.ReturnMovieHome();
  });
}

}  // namespace zephyr
