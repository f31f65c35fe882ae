// What the generator asks of the Bode plotter, which stands beside it: its
// window's place, its colours and its octave step are kept in the
// generator's settings file "FGen48.ini", and the generator's menu opens it.
// The program fills these in at start-up; one left empty does nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class TForm;
class TIniFile;

namespace generator {

struct PlotterLink {
  std::function<TForm*()> Window;
  // The frequency-step dialog's item (0 without the dialog), the default of
  // the stored step.
  std::function<int()> ListedOctaveStep;
  // The step to store: 0 unless the plotter steps by fractions of an octave.
  std::function<int()> OctaveStepInUse;
  std::function<void(TIniFile&)> ReadColours;
  // The colour keys of the "Colors" section in file order, with their values.
  std::function<std::vector<std::pair<const char*, std::uint32_t>>()> Colours;
  // After the file was read: the plotter's pens, its picture and the stored
  // fractional-octave step.
  std::function<void(int octaveStep)> SettingsRead;
  std::function<void()> Show;  // "Bode Plotter" in the generator's menu
  std::function<void()> Close;
};

}  // namespace generator
