// The time/div handlers of the main window, one per row of the time-base table.
#pragma once

#include <array>

#include "engine/main_form.h"

using TimeBaseHandler = void (TForm1::*)(TObject*);

// In TimeBaseTable row order; the twin panel forwards through the same list.
inline constexpr std::array<TimeBaseHandler, 22> TimeBaseHandlers{
    &TForm1::SpeedButton500msClick, &TForm1::SpeedButton200msClick, &TForm1::SpeedButton50usClick,
    &TForm1::SpeedButton01sClick,   &TForm1::peedButton50msClick,   &TForm1::SpeedButton20msClick,
    &TForm1::SpeedButton10msClick,  &TForm1::SpeedButton5msClick,   &TForm1::SpeedButton2msClick,
    &TForm1::SpeedButton1msClick,   &TForm1::SpeedButton05msClick,  &TForm1::SpeedButton02msClick,
    &TForm1::SpeedButton01msClick,  &TForm1::SpeedButton20usClick,  &TForm1::SpeedButton55Click,
    &TForm1::SpeedButton10usClick,  &TForm1::SpeedButton5usClick,   &TForm1::SpeedButton2usClick,
    &TForm1::SpeedButton1usClick,   &TForm1::SpeedButton05usClick,  &TForm1::SpeedButton02usClick,
    &TForm1::SpeedButton01usClick};
