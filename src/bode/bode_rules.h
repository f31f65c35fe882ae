// The Bode plotter's rules as pure functions: the frequency plan and its band
// switching, the levels, rows and columns of the plot, the shot loop's
// verdicts, normalisation, the axis texts and the marker read-outs, and the
// table lines every redraw is made from. The window (bode_plot.cpp and its
// neighbours) gathers the inputs and draws or sends the results.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bode {

// ---- CH1 range scales.
struct RangeScale {
  double FullScale;     // the 8-division screen in the range's unit
  double FullScaleDbv;  // that level in dBV
  bool Millivolts;      // readings of the range are in mV
};
// The scale of a CH1 range code; an unknown code reads as the 1 V range.
RangeScale RangeFullScale(std::uint8_t code);
// The unit of a trace started on range `code`: " mVrms" or " Vrms".
std::string TraceUnit(std::uint8_t code);
// The next more (or less) sensitive range code, or nothing at the end of the row.
std::optional<std::uint8_t> MoreSensitiveCode(std::uint8_t code);
std::optional<std::uint8_t> LessSensitiveCode(std::uint8_t code);

// ---- Texts of a point.
std::string FrequencyText(double hz);
std::string ValueText(double value);
std::string DbvText(double dbv);
std::string PhaseText(double degrees);

// ---- The frequency plan. m is the step position: the point's frequency is
// (rangeTop div ratio) x m in 0.1 Hz units.
enum class StepMode { Linear, Log, Octave };
// The decade of m: the largest power of ten not above m (m >= 1), so that 10
// is the decade 10 even when sums of steps land a hair below it.
double DecadeOf(double m);
// The step after m (after the DC point, m = 0, comes 1).
double NextMultiplier(double m, StepMode mode, double fraction, double octaveRatio);
// Point frequency in Hz.
double PointHz(std::int32_t rangeTop, std::int32_t ratio, double m);
// Column of step m on the plot.
int PointX(bool logScale, int plotWidth, int margin, double m, std::int32_t ratio);
// The sweep ends after a point at column x, or at step m beyond 1 MHz.
bool SweepEnds(int x, int plotWidth, int margin, std::int32_t rangeTop, std::int32_t ratio, double m);

// Band switching: generator range, filter and time base per frequency band.
struct Band {
  int Index;                   // 1..6
  std::int32_t From;           // lowest s x m of the band, 0.1 Hz units
  std::uint8_t FilterChoice;
  std::size_t GeneratorRange;  // row of the generator's range table, top range 0
  const char* TimeDiv;         // time/div caption
  bool Ch2TriggerShown;        // the trigger-source button "Ch2" is shown down
};
// The band a point at s x m (0.1 Hz units) enters, when it is above `current`.
const Band* BandToEnter(double sm, int current);
// The finer time/div buttons a point of `hz` presses, in order, when the scope is at `timeDiv`.
std::vector<const char*> RefinedTimeDivs(double hz, std::string timeDiv);

// ---- Levels and rows. H is the plot height, r the value over the reference full scale.
// dBV of a reading on range `code` (reading in the range's unit).
double LevelDbv(double reading, std::uint8_t code, double probeFactor, double probeDb);
// Row from the plot's top: scale 0 volts, else dB per division; clamped to
// -30000..30000; a ratio that is not above 0 (or not a number) gives H.
int LevelRow(int vertScale, int plotHeight, double r);
// Row of a phase in degrees, from the picture's top.
int PhaseRow(double degrees, int plotHeight, int margin);
// The reading in the sweep's unit (mV or V) from a reading on range `code`.
double InSweepUnit(double reading, bool sweepInMillivolts, std::uint8_t code);

// ---- The shot loop.
// Two readings agree within 5 %.
bool Settled(double previous, double reading);
enum class ShotVerdict { Again, Accept };
struct ShotState {
  double M;
  bool Settled;
  int Shots;  // shots taken at this point
  double StepFraction;
  bool WaitOver;
  int MeanCode;  // mean sample code of the last capture
};
ShotVerdict AfterShot(const ShotState& s);
// The CH1 range the automatic voltage scale moves to after a reading, or nothing.
std::optional<std::uint8_t> AutoScaleCode(double reading, std::uint8_t code, double probeFactor);
// Output over input, as if the input carried the generator's amplitude: both
// readings are taken in volts whatever their ranges' units, and the result
// is in CH1's unit. A zero or unreadable reading gives 0.
double NormalisedReading(double genAmplitudeVpp, double ch1Reading, std::uint8_t ch1Code, double ch2Reading,
                         std::uint8_t ch2Code);
// RMS of the sine whose peaks are the two DC levels a and b (in their range's unit).
double DcReading(double a, double b);
// The warning under the plot after a point ("" when none).
std::string PointWarning(int row, int plotHeight, int meanCode, bool paused);

// ---- Grid and axis texts.
std::vector<int> GridColumns(bool logScale, int plotWidth, int margin, std::int32_t ratio);
std::vector<int> GridRows(int plotHeight, int margin);
// Scale text at the top left.
std::string ScaleText(int vertScale, std::uint8_t code, double probeFactor, double probeDb);
// Caption of the range end at the bottom right.
std::string RangeEndCaption(std::int32_t rangeTop);
inline constexpr const char* kPhaseCaption = "Phase: +/-180deg  36deg/div";

// Frequency range and start buttons.
struct RangeRow {
  std::int32_t Top;
  const char* Caption;
  std::array<const char*, 4> StartCaptions;  // nullptr: the button is hidden
};
// The four range rows ("1kHz", "10kHz", "100kHz", "1MHz"); with the audio
// range the third is "30kHz".
RangeRow RangeRowOf(int index, bool audio);
// The ratio kept when the range changes to row `index`.
std::int32_t RatioOnRange(int index, std::int32_t ratio, bool audio);
// The ratio of start button `index` (0..3).
std::int32_t RatioOfStart(int index, bool audio30k);
// The start button of a ratio, or -1.
int StartOfRatio(std::int32_t ratio);

// ---- Frequency Step list: percentages of the decade, or fractional octaves.
inline constexpr std::array<const char*, 9> kStepItems{"100%", "50%", "20%", "10%", "5%", "2%", "1%", "0.1%", "0.01%"};
inline constexpr std::array<const char*, 5> kOctaveItems{"1/3 octave", "1/6 octave", "1/12 octave", "1/24 octave",
                                                         "1/48 octave"};
// The value of a list item (items past the end take the last value).
double StepFractionOfItem(int item);
double OctaveRatioOfItem(int item);
// The caption of the octave box for an octave item.
std::string OctaveBoxCaption(int item);
// The item a current value selects, or -1 when none matches.
int ItemOfStepFraction(double fraction);
int ItemOfOctaveRatio(double ratio);
// Wait Time list.
inline constexpr std::array<int, 8> kWaitSeconds{0, 1, 2, 5, 10, 20, 50, 100};

// ---- Marker read-outs.
enum class MarkerMode { Off, Level, LevelDifference, Phase };
struct LevelMarkers {
  int Y1, Y2;  // rows of the two level markers on the picture
  int Top;     // the plot's top row
  int PlotHeight;
};
std::string LevelReadout(MarkerMode mode, int vertScale, const LevelMarkers& m, std::uint8_t code,
                         double probeFactor, double probeDb);
std::string FrequencyReadout(bool logScale, int x, int left, int plotWidth, std::int32_t ratio,
                             std::int32_t rangeTop);

// ---- The data table.
struct TableLine {
  enum class Kind { Point, Header, End };
  Kind What = Kind::End;
  double Hz = 0;
  double Dbv = 0;
  double Phase = 0;
};
// One line of the table as a redraw reads it: a header ("  Hz" in the first
// field), a point (frequency, ignored value, level, optional phase), or the end
// (no TAB, or a field that is not a number).
TableLine ParseTableLine(std::string_view line);
inline constexpr const char* kHeaderField = "  Hz";
std::string HeaderLine(const std::string& unit);

}  // namespace bode
