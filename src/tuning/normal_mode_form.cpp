#include "tuning/normal_mode_form.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "tuning/tuning_services.h"

namespace zephyr {
namespace {

constexpr double kMaxInt32 = 2147483647.0;
// The TTL box takes 0 to 256, as the advanced mode always has.
constexpr double kMinTTL = 0.0;
constexpr double kMaxTTL = 256.0;

constexpr std::array<ConnectionRecommendation, 4> kRecommendations = {{
    {576, "576 Byte", 536, "536 Byte", 3},       // dial-up
    {1500, "1500 Byte", 1460, "1460 Byte", 44},  // cable modem
    {1492, "1492 Byte", 1452, "1452Byte", 44},   // DSL
    {1500, "1500 Byte", 1460, "1460 Byte", 44},  // LAN
}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> NumericValue(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);

  // The shape is checked here so that from_chars never sees "inf", "nan" or hexadecimal.
  std::size_t at = 0;
  const bool negative = text[at] == '-';
  if (text[at] == '+' || text[at] == '-') ++at;
  const std::size_t numberStart = at;
  std::size_t digits = 0;
  while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    std::size_t exponentDigits = 0;
    while (at < text.size() && IsDigit(text[at])) ++at, ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;

  double value = 0;
  const char* begin = text.data() + numberStart;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::int32_t> RoundHalfEven(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double below = std::floor(value);
  const double rest = value - below;
  double rounded = below;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
  if (rounded < -kMaxInt32 - 1.0 || rounded > kMaxInt32) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::string NumberText(double value) {
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  return std::string(buffer.data(), end);
}

const ConnectionRecommendation& RecommendationFor(int connType) {
  if (connType < 0 || connType >= static_cast<int>(kRecommendations.size())) connType = 0;
  return kRecommendations[static_cast<std::size_t>(connType)];
}

NormalModeForm::NormalModeForm(TuningServices& program)
    : ui::Form({.name = "frmNormalMode", .caption = "Advanced Mode",
                .bounds = {0, 0, ui::kPanelFrameWidth, 252}}),
      program_(program) {
  optConnType.Connect(&ui::OptionButton::Click, [this](int index) { optConnType_Click(index); });
  cmdNextPage.Click.Connect(this, &NormalModeForm::cmdNextPage_Click);
  cmdPrevPage.Click.Connect(this, &NormalModeForm::cmdPrevPage_Click);
  txtMTUValue.Change.Connect(this, &NormalModeForm::txtMTUValue_Change);
  txtMSSValue.Change.Connect(this, &NormalModeForm::txtMSSValue_Change);
  txtTTLValue.Change.Connect(this, &NormalModeForm::txtTTLValue_Change);
  txtHTTP10Value.Change.Connect(this, &NormalModeForm::txtHTTP10Value_Change);
  txtHTTP11Value.Change.Connect(this, &NormalModeForm::txtHTTP11Value_Change);
  txtKeepAliveTimeValue.Change.Connect(this, &NormalModeForm::txtKeepAliveTimeValue_Change);
  txtKeepAliveIntervalValue.Change.Connect(this,
                                           &NormalModeForm::txtKeepAliveIntervalValue_Change);
  txtMultiplier.Change.Connect(this, &NormalModeForm::txtMultiplier_Change);
  txtSYNValue.Change.Connect(this, &NormalModeForm::txtSYNValue_Change);
  cmbNDI.Click.Connect(this, &NormalModeForm::cmbNDI_Click);
  chkBlackHoleValue.Click.Connect(this, &NormalModeForm::chkBlackHoleValue_Click);
  chkMTUDisconver.Click.Connect(this, &NormalModeForm::chkMTUDisconver_Click);
  chkICMPValue.Click.Connect(this, &NormalModeForm::chkICMPValue_Click);
}

void NormalModeForm::Form_Load() {
  frmWizardPages(0).BringToFront();
  UpdatePageState();
  cmbNDI.SetListIndex(0);
}

void NormalModeForm::hideAllExcept(int page) {
  for (int index = 0; index < frmWizardPages.Count(); ++index) {
    frmWizardPages(index).SetVisible(false);
    if (index == page) frmWizardPages(index).SetVisible(true);
  }
}

void NormalModeForm::UpdatePageState() {
  // After Finish the last page stays on screen; there is no page for "finished".
  const int shown = std::min(currWizardPage_, kLastWizardPage);
  hideAllExcept(shown);
  cmdPrevPage.SetEnabled(currWizardPage_ > 0);
  cmdNextPage.SetCaption(shown == kLastWizardPage ? "Finish" : "Next>>");
  cmdNextPage.SetEnabled(!finished_);
}

void NormalModeForm::optConnType_Click(int index) { connType_ = index; }

void NormalModeForm::cmdNextPage_Click() {
  if (finished_) return;
  currWizardPage_ = std::min(currWizardPage_ + 1, kWizardFinished);
  if (currWizardPage_ == kWizardFinished) {
    Finish();
    return;
  }
  EnterPage(currWizardPage_);
  frmWizardPages(currWizardPage_).BringToFront();
  UpdatePageState();
}

void NormalModeForm::cmdPrevPage_Click() {
  currWizardPage_ = std::max(currWizardPage_ - 1, 0);
  frmWizardPages(std::min(currWizardPage_, kLastWizardPage)).BringToFront();
  UpdatePageState();
}

// Entering a page forward offers its recommended values again, also after going back. Where a
// page shows such a value in a control, the control is set too, so what the page shows is what
// Finish applies.
void NormalModeForm::EnterPage(int page) {
  TuningParams& tuning = program_.currentTuning();
  const ConnectionRecommendation& recommended = RecommendationFor(connType_);
  switch (page) {
    case 1:
      txtMTUValue.SetText(std::to_string(recommended.mtu));
      txtMSSValue.SetText(std::to_string(recommended.mss));
      lblMTURecValue.SetCaption(recommended.mtuLabel);
      lblMSSRecVaklue.SetCaption(recommended.mssLabel);
      tuning.MTU = recommended.mtu;
      tuning.MSS = recommended.mss;
      if (measuredMtu_) txtMTUValue.SetText(std::to_string(*measuredMtu_));
      break;
    case 2:
      chkBlackHoleValue.SetValue(ui::kUnchecked);
      chkMTUDisconver.SetValue(ui::kUnchecked);
      tuning.PMTUDiscovery = true;
      tuning.PMTUBlackHoleDetect = false;
      break;
    case 3: {
      txtMSSRWINValue.SetText(std::to_string(tuning.MSS));
      txtMultiplier.SetText(std::to_string(recommended.multiplier));
      const std::optional<double> window = ComputeWindow();
      if (const auto rwin = window ? RoundHalfEven(*window) : std::nullopt) tuning.RWIN = *rwin;
      lblRWINRecValue.SetCaption(std::to_string(tuning.RWIN) + "Bytes");
      break;
    }
    case 4:
      tuning.TTL = 64;
      tuning.MaxConnectionsPer1_0Server = 20;
      tuning.MaxConnectionsPerServer = 20;
      break;
    case 5:
      tuning.KeepAliveTime = 7200000;
      tuning.KeepAliveInterval = 1000;
      break;
    case 6:
      updwnDescision.SetValue(2);
      cmbNDI.SetListIndex(0);
      tuning.SYNAttackProtect = 2;
      tuning.NDICacheSize = 0;
      break;
    case 7:
      chkICMPValue.SetValue(ui::kUnchecked);
      tuning.ICMPRedirects = false;
      break;
    default: break;
  }
}

void NormalModeForm::UseMeasuredMTU(std::int32_t mtu) {
  measuredMtu_ = mtu;
  currWizardPage_ = 1;
  EnterPage(1);
  frmWizardPages(1).BringToFront();
  UpdatePageState();
}

void NormalModeForm::Finish() {
  TuningParams& tuning = program_.currentTuning();
  // Every box was checked as it changed; a text that still fails to convert keeps the field.
  const auto copy = [](const ui::TextBox& box, std::int32_t& field) {
    if (const auto number = NumericValue(box.Text())) {
      if (const auto whole = RoundHalfEven(*number)) field = *whole;
    }
  };
  copy(txtMTUValue, tuning.MTU);
  copy(txtMSSValue, tuning.MSS);
  copy(txtRWIN, tuning.RWIN);
  copy(txtTTLValue, tuning.TTL);
  copy(txtHTTP10Value, tuning.MaxConnectionsPer1_0Server);
  copy(txtHTTP11Value, tuning.MaxConnectionsPerServer);
  copy(txtKeepAliveTimeValue, tuning.KeepAliveTime);
  copy(txtKeepAliveIntervalValue, tuning.KeepAliveInterval);

  // Nothing is written before the user has seen the changes and pressed Apply.
  program_.PreviewCurrentTuningSet([this](const ApplyResult& result) { Finished(result); },
                                   [this] { Finished(std::nullopt); });
}

void NormalModeForm::Finished(const std::optional<ApplyResult>& result) {
  if (!result || result->outcome == ApplyResult::Outcome::kBackupFailed) {
    // Cancelled, or nothing was changed and the user has been told why: the last page stays,
    // ready to try again.
    currWizardPage_ = kLastWizardPage;
    UpdatePageState();
    return;
  }
  finished_ = true;
  UpdatePageState();
  program_.ReturnMovieHome();
}

void NormalModeForm::ValidateBox(ui::TextBox& box, std::int32_t field, double min, double max) {
  const std::optional<double> number = NumericValue(box.Text());
  if (number && *number >= min && *number <= max) return;
  // Setting the same text again raises no Change, so a fallback that fails itself cannot loop.
  box.SetText(std::to_string(field));
}

void NormalModeForm::txtMTUValue_Change() {
  ValidateBox(txtMTUValue, program_.currentTuning().MTU, 0, kMaxInt32);
}

void NormalModeForm::txtMSSValue_Change() {
  ValidateBox(txtMSSValue, program_.currentTuning().MSS, 0, kMaxInt32);
}

void NormalModeForm::txtTTLValue_Change() {
  ValidateBox(txtTTLValue, program_.currentTuning().TTL, kMinTTL, kMaxTTL);
}

void NormalModeForm::txtHTTP10Value_Change() {
  ValidateBox(txtHTTP10Value, program_.currentTuning().MaxConnectionsPer1_0Server, 4, kMaxInt32);
}

void NormalModeForm::txtHTTP11Value_Change() {
  ValidateBox(txtHTTP11Value, program_.currentTuning().MaxConnectionsPerServer, 2, kMaxInt32);
}

void NormalModeForm::txtKeepAliveTimeValue_Change() {
  ValidateBox(txtKeepAliveTimeValue, program_.currentTuning().KeepAliveTime, 0, kMaxInt32);
}

void NormalModeForm::txtKeepAliveIntervalValue_Change() {
  ValidateBox(txtKeepAliveIntervalValue, program_.currentTuning().KeepAliveInterval, 0,
              kMaxInt32);
}

std::optional<double> NormalModeForm::ComputeWindow() {
  const auto multiplier = NumericValue(txtMultiplier.Text());
  const auto scale = NumericValue(txtScaleFactor.Text());
  if (!multiplier || !scale) return std::nullopt;
  const double window = static_cast<double>(program_.currentTuning().MSS) * *multiplier * *scale;
  txtRWIN.SetText(NumberText(window));
  return window;
}

void NormalModeForm::txtMultiplier_Change() {
  const std::string fallback = std::to_string(DefaultMultiplier());
  if (!NumericValue(txtMultiplier.Text())) {
    txtMultiplier.SetText(fallback);
    return;  // the new text has been handled by its own Change
  }
  const std::optional<double> window = ComputeWindow();
  const double mss = program_.currentTuning().MSS;
  // A window that is not finite or is smaller than one segment is no window at all.
  if (!window || !std::isfinite(*window) || *window > kMaxReceiveWindow || mss > *window) {
    txtMultiplier.SetText(fallback);
  }
}

void NormalModeForm::txtSYNValue_Change() {
  const auto number = NumericValue(txtSYNValue.Text());
  const auto level = number ? RoundHalfEven(*number) : std::nullopt;
  if (level && *level >= std::numeric_limits<std::int16_t>::min() &&
      *level <= std::numeric_limits<std::int16_t>::max()) {
    program_.currentTuning().SYNAttackProtect = static_cast<std::int16_t>(*level);
  }
}

void NormalModeForm::cmbNDI_Click() {
  const auto number = NumericValue(cmbNDI.Text());
  if (const auto size = number ? RoundHalfEven(*number) : std::nullopt) {
    program_.currentTuning().NDICacheSize = *size;
  }
}

void NormalModeForm::chkBlackHoleValue_Click() {
  program_.currentTuning().PMTUBlackHoleDetect = chkBlackHoleValue.Value() == ui::kChecked;
}

// The box asks whether to disable discovery, so checked means off.
void NormalModeForm::chkMTUDisconver_Click() {
  program_.currentTuning().PMTUDiscovery = chkMTUDisconver.Value() != ui::kChecked;
}

void NormalModeForm::chkICMPValue_Click() {
  program_.currentTuning().ICMPRedirects = chkICMPValue.Value() == ui::kChecked;
}

}  // namespace zephyr
