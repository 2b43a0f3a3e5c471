// frmWizardMode: the one-click way to tune the connection. Eight modes, each a complete tuning
// set; choosing one copies it over the current tuning set, and "Optimize Now" applies that.
#pragma once

#include <string>

#include "tuning/tuning_params.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr {

class TuningServices;

// The description of a tuning set, as the wizard shows it.
std::string ModeDescription(const TuningParams& params);

class WizardModeForm : public ui::Form {
 public:
  explicit WizardModeForm(TuningServices& program);

  ui::Frame frameOptimizationMode{*this, {.name = "frameOptimizationMode",
                                          .caption = "Optimization Modes",
                                          .bounds = {12, 4, 416, 96}}};
  // Two columns of four: A, C, E, G on the left; B, D, F and Windows default on the right.
  ui::ControlArray<ui::OptionButton> optMode{
      *this,
      "optMode",
      {{.container = &frameOptimizationMode, .caption = "Automatic-A", .bounds = {20, 18, 180, 18},
        .value = true},
       {.container = &frameOptimizationMode, .caption = "Automatic-B", .bounds = {216, 18, 180, 18}},
       {.container = &frameOptimizationMode, .caption = "Automatic-C", .bounds = {20, 36, 180, 18}},
       {.container = &frameOptimizationMode, .caption = "Automatic-D", .bounds = {216, 36, 180, 18}},
       {.container = &frameOptimizationMode, .caption = "Automatic-E", .bounds = {20, 54, 180, 18}},
       {.container = &frameOptimizationMode, .caption = "Automatic-F", .bounds = {216, 54, 180, 18}},
       {.container = &frameOptimizationMode, .caption = "Automatic-G", .bounds = {20, 72, 180, 18}},
       {.container = &frameOptimizationMode, .caption = "Windows default",
        .bounds = {216, 72, 180, 18}}}};
  ui::Label lblModeDescrip{*this, {.name = "lblModeDescrip", .caption = "Modes Description",
                                   .bounds = {12, 104, 416, 110}}};
  ui::CommandButton cmdOptimize{*this, {.name = "cmdOptimize", .caption = "Optimize &Now",
                                        .bounds = {308, 216, 120, 28}}};

 private:
  void Form_Load() override;
  void optMode_Click(int index);
  void cmdOptimize_Click();
  void ShowModeDescription();

  TuningServices& program_;
};

}  // namespace zephyr
