// The marker read-outs of any view: computed from the view's markers, kept
// in the view's read-out texts and printed on its bottom text line.
#include <string>

#include "display/graticule.h"
#include "display/marker_readouts.h"

namespace display {

namespace {

constexpr std::size_t kTextChars = 51;  // texts are short strings

// Takes the old text off, keeps the new one and prints it when `show`.
void Replace(ScopeView& view, const PictureSettings& s, std::string* kept, const std::string& text, int x, TColor color,
             bool show) {
  if (!kept) return;
  PrintText(view, *kept, x, view.TextLineY, s.Colors.BackgroundColor);
  *kept = text.substr(0, kTextChars);
  if (show) PrintText(view, *kept, x, view.TextLineY, color);
}

}  // namespace

TColor ShownChannelColor(const PictureSettings& s) {
  if (s.Channels[0].On) return s.Colors.Ch1Color;
  return s.InvertedCh2() ? s.Colors.Math2Color : s.Colors.Ch2Color;
}

void ShowTimeReadout(ScopeView& view, const PictureSettings& s) {
  if (s.SpectrumMode || !s.MarkersOn) return;
  const MarkerPlaces& m = view.Markers;
  const TimeReadout r = TimeMarkerReadout(s.TimeDivText, ReadPlace(m.TimeMarker1X), ReadPlace(m.TimeMarker2X), view.X0);
  Replace(view, s, view.Readouts.Time, r.Dt, view.X0 + view.Texts.TimeReadout, s.Colors.TimeMarkerColor, r.Show);
  Replace(view, s, view.Readouts.InvTime, r.InvDt, view.X0 + view.Texts.InvTimeReadout, s.Colors.TimeMarkerColor, r.Show);
}

void ShowVoltReadout(ScopeView& view, const PictureSettings& s) {
  if (s.SpectrumMode || !s.MarkersOn) return;
  const PictureChannel& c = s.ShownChannel();
  // A loaded data file's grounds are used together, as CH1's says.
  const bool fileGround = s.Channels[0].FileGround != kNoFileGround;
  const int ground = fileGround ? c.FileGround : c.GroundLevel;
  const MarkerPlaces& m = view.Markers;
  const int y1 = ReadPlace(m.VoltMarker1Y), y2 = ReadPlace(m.VoltMarker2Y);
  const std::string text = VoltMarkerReadout(c.GainCode, c.ProbeFactor, y1, y2, view.Y0, ground, !s.MathOff, view.VScale);
  Replace(view, s, view.Readouts.Volt, text, view.X0 + view.Texts.VoltReadout, ShownChannelColor(s),
          y1 >= view.Y0 || y2 >= view.Y0);
}

void ShowFreqReadout(ScopeView& view, const PictureSettings& s, int bin) {
  if (!s.SpectrumMode || !s.FftMarkersOn) return;
  const std::string text = FreqMarkerReadout(s.TimePerDiv, bin, s.LogFreqAxis != 0);
  Replace(view, s, view.Readouts.Freq, text, view.X0 + view.Texts.FreqReadout, s.Colors.TimeMarkerColor,
          ReadPlace(view.Markers.FreqMarker1X) >= view.X0);
}

void ShowLevelReadout(ScopeView& view, const PictureSettings& s) {
  if (!s.SpectrumMode || !s.FftMarkersOn) return;
  LevelSetup setup;
  setup.RangeCode = s.ShownChannel().GainCode;
  setup.ProbeDb = s.ShownChannel().ProbeDb;
  setup.Density = s.FftDensityMarkers != 0;
  setup.CaptureTimePerDiv = s.CaptureTimePerDiv;
  setup.WindowDensityCorrection = s.WindowDensityCorrection;
  const MarkerPlaces& m = view.Markers;
  const std::string text = LevelMarkerReadout(setup, ReadPlace(m.LevelMarker1Y), ReadPlace(m.LevelMarker2Y), view.Y0, view.VScale);
  Replace(view, s, view.Readouts.Level, text, view.X0 + view.Texts.VoltReadout, ShownChannelColor(s), true);
}

}  // namespace display
