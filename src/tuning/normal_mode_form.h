// frmNormalMode: the advanced mode. Eight pages, one group of tuning values each; moving forward
// into a page puts its recommended values into the current tuning set, every editable box checks
// each change, and Finish copies the boxes into the current tuning set and applies it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tuning/tuning_params.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr {

class TuningServices;

// The number a text box holds, as the advanced mode reads it: optional blanks around an optionally
// signed decimal number with an optional fraction and exponent. Nothing for any other text, and
// for a number too large for a double.
std::optional<double> NumericValue(std::string_view text);
// To the nearest integer, halves to the even neighbour; nothing outside the 32-bit range.
std::optional<std::int32_t> RoundHalfEven(double value);
// A computed number as the boxes show it: at most 15 significant digits, no trailing zeros.
std::string NumberText(double value);

// What each connection type recommends.
struct ConnectionRecommendation {
  std::int32_t mtu;
  const char* mtuLabel;
  std::int32_t mss;
  const char* mssLabel;
  int multiplier;
};
const ConnectionRecommendation& RecommendationFor(int connType);

inline constexpr int kLastWizardPage = 7;
inline constexpr int kWizardFinished = 8;
inline constexpr double kMaxReceiveWindow = 1073741823.0;  // 2^30 - 1, the largest scaled window

class NormalModeForm : public ui::Form {
 public:
  explicit NormalModeForm(TuningServices& program);

  int currWizardPage() const { return currWizardPage_; }
  // Shows the MTU page with a measured MTU in txtMTUValue in place of the recommendation, also
  // when the page is entered again. Like any edit of the box it takes effect only at Finish.
  void UseMeasuredMTU(std::int32_t mtu);
  int connType() const { return connType_; }

  ui::Frame frameAdvancedMode{*this, {.name = "frameAdvancedMode", .caption = "Normal Mode",
                                      .bounds = {4, 2, 432, 214}}};
  ui::ControlArray<ui::Frame> frmWizardPages{
      *this,
      "frmWizardPages",
      {{.container = &frameAdvancedMode, .caption = "Step 1 of 8 : Connection type",
        .bounds = kPageBounds},
       {.container = &frameAdvancedMode, .caption = "Step 2 of 8 : MTU Settings",
        .bounds = kPageBounds, .visible = false},
       {.container = &frameAdvancedMode, .caption = "Step 3 of 8 : Other MTU Settings",
        .bounds = kPageBounds, .visible = false},
       {.container = &frameAdvancedMode, .caption = "Step 4 of 8 : RWIN Settings",
        .bounds = kPageBounds, .visible = false},
       {.container = &frameAdvancedMode, .caption = "Step 5 of 8 : TTL && IE Optimization",
        .bounds = kPageBounds, .visible = false},
       {.container = &frameAdvancedMode, .caption = "Step 6 of 8 :  Keep Alive Settigns",
        .bounds = kPageBounds, .visible = false},
       {.container = &frameAdvancedMode,
        .caption = "Step 7 of 8 :  SYN Flood Attack Settings && NDI Cache",
        .bounds = kPageBounds, .visible = false},
       {.container = &frameAdvancedMode, .caption = "Step 8 of 8 : ICMP Redirect Attack Setting",
        .bounds = kPageBounds, .visible = false}}};

  // Page 0: connection type.
  ui::Label lblConnQuestion{*this, {.name = "lblConnQuestion", .container = &frmWizardPages(0),
                                    .caption = "How do you connect to the internet?",
                                    .bounds = {12, 22, 300, 14}}};
  ui::Frame frmConnectionType{*this, {.name = "frmConnectionType",
                                      .container = &frmWizardPages(0),
                                      .caption = "Connection Type", .bounds = {12, 42, 392, 100}}};
  ui::ControlArray<ui::OptionButton> optConnType{
      *this,
      "optConnType",
      {{.container = &frmConnectionType, .caption = "Dial Up Connection (Modem).",
        .bounds = {12, 18, 360, 18}, .value = true},
       {.container = &frmConnectionType, .caption = "Cable Modem.", .bounds = {12, 37, 360, 18}},
       {.container = &frmConnectionType, .caption = "Digital  Subscriber Line (DSL).",
        .bounds = {12, 56, 360, 18}},
       {.container = &frmConnectionType, .caption = "LAN Connection(Ethernet).",
        .bounds = {12, 75, 360, 18}}}};

  // Page 1: MTU and MSS.
  ui::Label lblMTURec{*this, {.name = "lblMTURec", .container = &frmWizardPages(1),
                              .caption = "Recommended MTU size", .bounds = {12, 21, 150, 14}}};
  ui::Label lblMTURecValue{*this, {.name = "lblMTURecValue", .container = &frmWizardPages(1),
                                   .caption = "   Byte", .bounds = {166, 21, 90, 14}}};
  ui::TextBox txtMTUValue{*this, {.name = "txtMTUValue", .container = &frmWizardPages(1),
                                  .bounds = {316, 18, 90, 20}, .text = "576"}};
  ui::Label lblMTUExplain{
      *this,
      {.name = "lblMTUExplain", .container = &frmWizardPages(1),
       .caption = "The MTU (Maximum Transmission Unit) is the largest packet, in bytes, that one "
                  "frame of your connection can carry. A larger packet has to be split, which "
                  "costs time.",
       .bounds = {12, 44, 394, 40}}};
  ui::Label lblMSSRec{*this, {.name = "lblMSSRec", .container = &frmWizardPages(1),
                              .caption = "Recommended MSS size", .bounds = {12, 95, 150, 14}}};
  ui::Label lblMSSRecVaklue{*this, {.name = "lblMSSRecVaklue", .container = &frmWizardPages(1),
                                    .caption = "   Byte", .bounds = {166, 95, 90, 14}}};
  ui::TextBox txtMSSValue{*this, {.name = "txtMSSValue", .container = &frmWizardPages(1),
                                  .bounds = {316, 92, 90, 20}, .text = "536"}};
  ui::Label lblMSSExplain{
      *this,
      {.name = "lblMSSExplain", .container = &frmWizardPages(1),
       .caption = "The MSS (Maximum Segment Size) is the data part of that packet: the MTU less "
                  "the TCP and IP headers, so it is a little smaller than the MTU.",
       .bounds = {12, 118, 394, 40}}};

  // Page 2: black-hole detection and path MTU discovery.
  ui::Label lblBlackHoleExplain{
      *this,
      {.name = "lblBlackHoleExplain", .container = &frmWizardPages(2),
       .caption = "Some routers drop packets that are too large for the next link without telling "
                  "the sender: black-hole routers. Detection notices this and sends smaller "
                  "packets.",
       .bounds = {12, 20, 394, 40}}};
  ui::CheckBox chkBlackHoleValue{*this, {.name = "chkBlackHoleValue",
                                         .container = &frmWizardPages(2),
                                         .caption = "Enable It?", .bounds = {12, 64, 86, 18}}};
  ui::Label lblBlackHoleRec{
      *this,
      {.name = "lblBlackHoleRec", .container = &frmWizardPages(2),
       .caption = "Recommended to be DISABLED since it imposes extra transmission overhead.",
       .bounds = {104, 66, 302, 28}}};
  ui::Label lblMTUDiscoveryExplain{
      *this,
      {.name = "lblMTUDiscoveryExplain", .container = &frmWizardPages(2),
       .caption = "Path MTU discovery finds the largest packet that can cross every link on the "
                  "way to a host, so that packets need not be split on the way.",
       .bounds = {12, 102, 394, 40}}};
  ui::CheckBox chkMTUDisconver{*this, {.name = "chkMTUDisconver",
                                       .container = &frmWizardPages(2),
                                       .caption = "Disable it??", .bounds = {12, 146, 86, 18}}};
  ui::Label lblMTUDiscoveryRec{*this, {.name = "lblMTUDiscoveryRec",
                                       .container = &frmWizardPages(2),
                                       .caption = "Recommended to be.",
                                       .bounds = {104, 148, 124, 14}}};
  ui::Label lblMTUDiscoveryRecValue{*this, {.name = "lblMTUDiscoveryRecValue",
                                            .container = &frmWizardPages(2),
                                            .caption = "ENABLED", .bounds = {230, 148, 70, 14}}};

  // Page 3: receive window = MSS * multiplier * scale factor.
  ui::Label lblMSSCaption{*this, {.name = "lblMSSCaption", .container = &frmWizardPages(3),
                                  .caption = "MSS", .bounds = {12, 20, 70, 14}}};
  ui::Label lblMultiplierCaption{*this, {.name = "lblMultiplierCaption",
                                         .container = &frmWizardPages(3),
                                         .caption = "Multiplier", .bounds = {100, 20, 70, 14}}};
  ui::Label lblScaleFactorCaption{*this, {.name = "lblScaleFactorCaption",
                                          .container = &frmWizardPages(3),
                                          .caption = "Scale Factor",
                                          .bounds = {188, 20, 76, 14}}};
  ui::Label lblRWINCaption{*this, {.name = "lblRWINCaption", .container = &frmWizardPages(3),
                                   .caption = "RWIN", .bounds = {282, 20, 110, 14}}};
  ui::TextBox txtMSSRWINValue{*this, {.name = "txtMSSRWINValue", .container = &frmWizardPages(3),
                                      .bounds = {12, 36, 70, 20}, .enabled = false}};
  ui::Label lblTimes1{*this, {.name = "lblTimes1", .container = &frmWizardPages(3),
                              .caption = "*", .bounds = {86, 39, 10, 14}}};
  ui::TextBox txtMultiplier{*this, {.name = "txtMultiplier", .container = &frmWizardPages(3),
                                    .bounds = {100, 36, 70, 20}}};
  ui::Label lblTimes2{*this, {.name = "lblTimes2", .container = &frmWizardPages(3),
                              .caption = "*", .bounds = {174, 39, 10, 14}}};
  ui::TextBox txtScaleFactor{*this, {.name = "txtScaleFactor", .container = &frmWizardPages(3),
                                     .bounds = {188, 36, 70, 20}, .enabled = false,
                                     .text = "4"}};
  ui::Label lblEquals{*this, {.name = "lblEquals", .container = &frmWizardPages(3),
                              .caption = "=", .bounds = {264, 39, 12, 14}}};
  ui::TextBox txtRWIN{*this, {.name = "txtRWIN", .container = &frmWizardPages(3),
                              .bounds = {282, 36, 110, 20}, .enabled = false}};
  ui::Label lblRWINRec{*this, {.name = "lblRWINRec", .container = &frmWizardPages(3),
                               .caption = "Recommended RWIN size  : ",
                               .bounds = {12, 68, 180, 14}}};
  ui::Label lblRWINRecValue{*this, {.name = "lblRWINRecValue", .container = &frmWizardPages(3),
                                    .caption = "Byte", .bounds = {196, 68, 150, 14}}};
  ui::Label lblRWINExplain{
      *this,
      {.name = "lblRWINExplain", .container = &frmWizardPages(3),
       .caption = "The receive window (RWIN) is how much data the other side may send before it "
                  "has to wait for your computer to confirm it. A multiple of the MSS fills every "
                  "packet; a larger window keeps a fast line busy, a window that is too large "
                  "only wastes memory.",
       .bounds = {12, 92, 394, 66}}};

  // Page 4: time to live and the browser's connection limits.
  ui::Label lblTTLRec{*this, {.name = "lblTTLRec", .container = &frmWizardPages(4),
                              .caption = "Recommended TTL  :", .bounds = {12, 21, 130, 14}}};
  ui::Label lblTTLRecValue{*this, {.name = "lblTTLRecValue", .container = &frmWizardPages(4),
                                   .caption = "64 Seconds", .bounds = {146, 21, 90, 14}}};
  ui::TextBox txtTTLValue{*this, {.name = "txtTTLValue", .container = &frmWizardPages(4),
                                  .bounds = {316, 18, 90, 20}, .text = "64"}};
  ui::Label lblTTLExplain{
      *this,
      {.name = "lblTTLExplain", .container = &frmWizardPages(4),
       .caption = "The TTL (Time To Live) limits how many routers a packet may pass before it is "
                  "thrown away, so a lost packet cannot circle the network for ever.",
       .bounds = {12, 42, 394, 40}}};
  ui::Label lblIEExplain{
      *this,
      {.name = "lblIEExplain", .container = &frmWizardPages(4),
       .caption = "Optimize Internet Explorer by setting the maximum number of simultaneous "
                  "requests for accessing type 1.0 or 1.1 HTTP servers.",
       .bounds = {12, 86, 394, 28}}};
  ui::Label lblHTTP10Rec{*this, {.name = "lblHTTP10Rec", .container = &frmWizardPages(4),
                                 .caption = "Recommended value for HTTP 1.0  :",
                                 .bounds = {12, 123, 220, 14}}};
  ui::Label lblHTTP10RecValue{*this, {.name = "lblHTTP10RecValue",
                                      .container = &frmWizardPages(4), .caption = "20",
                                      .bounds = {236, 123, 40, 14}}};
  ui::TextBox txtHTTP10Value{*this, {.name = "txtHTTP10Value", .container = &frmWizardPages(4),
                                     .bounds = {316, 120, 90, 20}, .text = "20"}};
  ui::Label lblHTTP11Rec{*this, {.name = "lblHTTP11Rec", .container = &frmWizardPages(4),
                                 .caption = "Recommended value for HTTP 1.1  :",
                                 .bounds = {12, 149, 220, 14}}};
  ui::Label lblHTTP11RecValue{*this, {.name = "lblHTTP11RecValue",
                                      .container = &frmWizardPages(4), .caption = "20",
                                      .bounds = {236, 149, 40, 14}}};
  ui::TextBox txtHTTP11Value{*this, {.name = "txtHTTP11Value", .container = &frmWizardPages(4),
                                     .bounds = {316, 146, 90, 20}, .text = "20"}};

  // Page 5: keep-alive times.
  ui::Label lblKeepAliveTimeRec{*this, {.name = "lblKeepAliveTimeRec",
                                        .container = &frmWizardPages(5),
                                        .caption = "Recommended Keep Alive Time :",
                                        .bounds = {12, 20, 220, 14}}};
  ui::Label lblKeepAliveTimeRecValue{*this, {.name = "lblKeepAliveTimeRecValue",
                                             .container = &frmWizardPages(5),
                                             .caption = "7200000 milliseconds.",
                                             .bounds = {236, 20, 170, 14}}};
  ui::TextBox txtKeepAliveTimeValue{*this, {.name = "txtKeepAliveTimeValue",
                                            .container = &frmWizardPages(5),
                                            .bounds = {12, 38, 90, 20}, .text = "7200000"}};
  ui::Label lblKeepAliveTimeExplain{
      *this,
      {.name = "lblKeepAliveTimeExplain", .container = &frmWizardPages(5),
       .caption = "Keep Alive Time is how long a connection may stay idle before Windows sends a "
                  "keep-alive packet to check that the other side is still there.",
       .bounds = {12, 62, 394, 40}}};
  ui::Label lblKeepAliveIntervalRec{*this, {.name = "lblKeepAliveIntervalRec",
                                            .container = &frmWizardPages(5),
                                            .caption = "Recommended Keep Alive Interval  :",
                                            .bounds = {12, 110, 220, 14}}};
  ui::Label lblKeepAliveIntervalRecValue{*this, {.name = "lblKeepAliveIntervalRecValue",
                                                 .container = &frmWizardPages(5),
                                                 .caption = "1000 milliseconds.",
                                                 .bounds = {236, 110, 170, 14}}};
  ui::TextBox txtKeepAliveIntervalValue{*this, {.name = "txtKeepAliveIntervalValue",
                                                .container = &frmWizardPages(5),
                                                .bounds = {12, 128, 90, 20}, .text = "1000"}};
  ui::Label lblKeepAliveIntervalExplain{
      *this,
      {.name = "lblKeepAliveIntervalExplain", .container = &frmWizardPages(5),
       .caption = "Keep Alive Interval is how long Windows waits for the answer to a keep-alive "
                  "packet before it sends the packet again.",
       .bounds = {12, 152, 394, 40}}};

  // Page 6: SYN flood protection and the NDI cache.
  ui::Label lblSYNQuestion{*this, {.name = "lblSYNQuestion", .container = &frmWizardPages(6),
                                   .caption = "What will be your decision?",
                                   .bounds = {12, 18, 200, 14}}};
  ui::Label lblSYNChoice0{*this, {.name = "lblSYNChoice0", .container = &frmWizardPages(6),
                                  .caption = "0 - (default) - typical protection against SYN "
                                             "attacks.",
                                  .bounds = {12, 34, 340, 14}}};
  ui::Label lblSYNChoice1{*this, {.name = "lblSYNChoice1", .container = &frmWizardPages(6),
                                  .caption = "1 - better protection against SYN attacks.",
                                  .bounds = {12, 48, 340, 14}}};
  ui::Label lblSYNChoice2{*this, {.name = "lblSYNChoice2", .container = &frmWizardPages(6),
                                  .caption = "2 - (recommended) - best protection against SYN "
                                             "attacks.",
                                  .bounds = {12, 62, 340, 14}}};
  ui::TextBox txtSYNValue{*this, {.name = "txtSYNValue", .container = &frmWizardPages(6),
                                  .bounds = {360, 42, 28, 20}, .text = "2", .locked = true}};
  ui::UpDown updwnDescision{*this, {.name = "updwnDescision", .container = &frmWizardPages(6),
                                    .bounds = {388, 42, 16, 20}, .buddy = &txtSYNValue,
                                    .min = 0, .max = 2, .value = 2}};
  ui::Label lblSYNExplain{
      *this,
      {.name = "lblSYNExplain", .container = &frmWizardPages(6),
       .caption = "A SYN flood opens a great many half-finished connections to wear a computer "
                  "out. With protection on, Windows gives up on such connections sooner and "
                  "spends less memory on them.",
       .bounds = {12, 80, 394, 40}}};
  ui::Label lblNDIRec{*this, {.name = "lblNDIRec", .container = &frmWizardPages(6),
                              .caption = "NDI recommended Value", .bounds = {12, 127, 160, 14}}};
  ui::ComboBox cmbNDI{*this, {.name = "cmbNDI", .container = &frmWizardPages(6),
                              .bounds = {176, 124, 60, 21},
                              .style = ui::ComboStyle::kDropdownList,
                              .items = {"0", "2", "4", "8", "16", "32", "64"}}};
  ui::Label lblNDIExplain{
      *this,
      {.name = "lblNDIExplain", .container = &frmWizardPages(6),
       .caption = "The NDI cache size is 16 by default. 16 suits a modem connection; 32 suits "
                  "every other kind of connection.",
       .bounds = {12, 150, 394, 28}}};

  // Page 7: ICMP redirects.
  ui::CheckBox chkICMPValue{*this, {.name = "chkICMPValue", .container = &frmWizardPages(7),
                                    .caption = "Enable It?", .bounds = {12, 20, 86, 18}}};
  ui::Label lblICMPRec{*this, {.name = "lblICMPRec", .container = &frmWizardPages(7),
                               .caption = "Recommended to be DISABLED.",
                               .bounds = {104, 22, 200, 14}}};
  ui::Label lblICMPExplain{
      *this,
      {.name = "lblICMPExplain", .container = &frmWizardPages(7),
       .caption = "An ICMP redirect tells your computer to send its traffic through another "
                  "router. A forged or mistaken redirect can send it where nothing answers, and "
                  "connections hang until they time out. Accepting redirects is best left off.",
       .bounds = {12, 48, 394, 54}}};

  ui::CommandButton cmdPrevPage{*this, {.name = "cmdPrevPage", .caption = "<<Back",
                                        .bounds = {252, 221, 86, 26}, .enabled = false}};
  ui::CommandButton cmdNextPage{*this, {.name = "cmdNextPage", .caption = "Next>>",
                                        .bounds = {346, 221, 86, 26}}};

 private:
  static constexpr ui::Rect kPageBounds{8, 14, 416, 196};

  void Form_Load() override;
  void optConnType_Click(int index);
  void cmdNextPage_Click();
  void cmdPrevPage_Click();
  void txtMTUValue_Change();
  void txtMSSValue_Change();
  void txtTTLValue_Change();
  void txtHTTP10Value_Change();
  void txtHTTP11Value_Change();
  void txtKeepAliveTimeValue_Change();
  void txtKeepAliveIntervalValue_Change();
  void txtMultiplier_Change();
  void txtSYNValue_Change();
  void cmbNDI_Click();
  void chkBlackHoleValue_Click();
  void chkMTUDisconver_Click();
  void chkICMPValue_Click();

  void hideAllExcept(int page);
  void EnterPage(int page);
  void Finish();
  // After the preview: applied (with the apply's result) or cancelled (nothing).
  void Finished(const std::optional<ApplyResult>& result);
  // The one place that decides which page shows and what the two buttons offer.
  void UpdatePageState();
  // Puts the field back into the box when the box holds no number or one outside min .. max.
  void ValidateBox(ui::TextBox& box, std::int32_t field, double min, double max);
  // MSS * multiplier * scale factor into txtRWIN; the window, or nothing when a box holds no
  // number.
  std::optional<double> ComputeWindow();
  int DefaultMultiplier() const { return RecommendationFor(connType_).multiplier; }

  TuningServices& program_;
  int currWizardPage_ = 0;
  int connType_ = 0;
  bool finished_ = false;
  std::optional<std::int32_t> measuredMtu_;
};

}  // namespace zephyr
