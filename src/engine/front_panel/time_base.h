// The time/div handlers of the front panel, one per row of the time-base table.
#pragma once

#include <array>

#include "engine/front_panel/front_panel_controller.h"

namespace engine::front_panel {

using TimeBaseHandler = void (FrontPanelController::*)(TObject*);

// In TimeBaseTable row order; the twin panel forwards through the same list.
inline constexpr std::array<TimeBaseHandler, 22> TimeBaseHandlers{
    &FrontPanelController::SpeedButton500msClick, &FrontPanelController::SpeedButton200msClick,
    &FrontPanelController::SpeedButton50usClick,  &FrontPanelController::SpeedButton01sClick,
    &FrontPanelController::peedButton50msClick,   &FrontPanelController::SpeedButton20msClick,
    &FrontPanelController::SpeedButton10msClick,  &FrontPanelController::SpeedButton5msClick,
    &FrontPanelController::SpeedButton2msClick,   &FrontPanelController::SpeedButton1msClick,
    &FrontPanelController::SpeedButton05msClick,  &FrontPanelController::SpeedButton02msClick,
    &FrontPanelController::SpeedButton01msClick,  &FrontPanelController::SpeedButton20usClick,
    &FrontPanelController::SpeedButton55Click,    &FrontPanelController::SpeedButton10usClick,
    &FrontPanelController::SpeedButton5usClick,   &FrontPanelController::SpeedButton2usClick,
    &FrontPanelController::SpeedButton1usClick,   &FrontPanelController::SpeedButton05usClick,
    &FrontPanelController::SpeedButton02usClick,  &FrontPanelController::SpeedButton01usClick};

}  // namespace engine::front_panel
