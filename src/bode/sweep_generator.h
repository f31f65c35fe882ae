// What the Bode sweep asks of the function generator, which stands beside
// the Bode plotter: the program fills it in at start-up, and the Bode state
// holds it. Without a generator (Present empty or false) no sweep runs.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace bode {

struct SweepGenerator {
  std::function<bool()> Present;
  // The scope window's frequency and output groups, ranges, shapes and
  // sliders, held while the sweep runs.
  std::function<void(bool enabled)> EnableControls;
  std::function<void(std::size_t index)> PressRange;  // through the scope window's panel when there is one
  std::function<void(int position)> SetFrequencySlider;
  std::function<void(const std::string& text)> ShowText;  // on every panel's read-out
  std::function<void(bool visible)> SetFrequencyReadout;
  std::function<void()> ShowReadouts;
  std::function<void()> PressSine;                 // the scope window's sine button
  std::function<void(double frequency)> SetFrequency;  // in the range's unit
  std::function<void()> SelectSine;
  // A band of the frequency plan: its output filter, the sine table for it.
  std::function<void(int filterChoice)> EnterBand;
  std::function<void()> Apply;              // the output as set now goes to the device
  std::function<void(int step)> OutputDc;   // the first (0) or second (1) DC level, applied
  std::function<double()> Amplitude;        // volts peak to peak
  std::function<void()> ResetFilter;        // the filter the generator chooses itself
};

}  // namespace bode
