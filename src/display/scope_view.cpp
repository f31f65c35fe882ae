// The picture cycle (wipe, erase, draw) and the trace plotters, written once
// against a view so that the main picture and the Big Screen share them.
#include "display/scope_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "display/graticule.h"
#include "display/math_trace.h"
#include "display/persistence_drawing.h"
#include "platform/os/numeric.h"
#include "platform/ui/image.h"

namespace display {

namespace {

constexpr int kChannelLength = 4096;
constexpr double kTriggerSample = 1015;  // where the capture's trigger point lies

constexpr int kFirstHeldEntry = 47;  // held samples start here, under the centre tap
constexpr int kSineHold = 4;     // zero-order hold factor before the kernel
constexpr int kSineSmooth = 5;   // each filtered value spans 5 replicated entries

// Inclusive index range of the channel a block index belongs to, in the
// sample block plotted.
struct Channel {
  std::int64_t lo, hi;
  const std::int32_t* samples;
};

Channel Ch2Of(const PictureSettings& s) { return {0, kChannelLength - 1, s.Samples.data()}; }
Channel Ch1Of(const PictureSettings& s) { return {kChannelLength, 2 * kChannelLength - 1, s.Samples.data()}; }

Channel ChannelOf(const PictureSettings& s, std::int64_t index) { return index >= kChannelLength ? Ch1Of(s) : Ch2Of(s); }

// The channel of `first`, ending before `end` when that comes earlier.
Channel ChannelRange(const PictureSettings& s, int first, int end) {
  Channel ch = ChannelOf(s, first);
  ch.hi = std::max(ch.lo, std::min<std::int64_t>(ch.hi, static_cast<std::int64_t>(end) - 1));
  return ch;
}

// A sample of the channel; indexes outside it read its first or last sample,
// so no plotter ever reads another channel or past the block.
std::int32_t At(std::int64_t index, const Channel& ch) {
  return ch.samples[static_cast<std::size_t>(std::clamp(index, ch.lo, ch.hi))];
}

int PlotCapacity(const ScopeView& view) {
  return std::max(0, std::min(view.PlotWidth(), static_cast<int>(kPlotPointCapacity)));
}

bool ArithmeticMode(const PictureSettings& s) { return s.ArithmeticShown(); }

// The settings with the math pen in place of the CH2 pen, as the math trace is plotted.
PictureSettings WithMathPen(const PictureSettings& s) {
  PictureSettings math = s;
  math.Colors.Ch2PenColor = s.Colors.Math1PenColor;
  return math;
}

// Runs f with MathOff treated as set while an arithmetic trace is shown, so
// that CH1 and CH2 are handled along with it.
template <class F>
void WithChannelsOfMath(const PictureSettings& s, F&& f) {
  if (!ArithmeticMode(s)) {
    f(s);
    return;
  }
  PictureSettings channels = s;
  channels.MathOff = 1;
  f(channels);
}

// Pixels and samples advanced per point.
struct Stepping {
  int dx;
  double dl;
};

// Two points per step (half steps) unless the steps are single pixels or the
// samples are joined one to one.
Stepping PlainStepping(const PictureSettings& s) {
  if (s.PixelStep < 2 || (s.Magnification <= 1.001 && s.DotJoin)) return {s.PixelStep, s.Magnification};
  return {s.PixelStep / 2, s.Magnification / 2};
}

// Linear interpolation between sample d and d + 1 of a channel.
double Interpolated(std::int64_t d, double f, const Channel& ch) {
  return f * At(d + 1, ch) + (1 - f) * At(d, ch);
}

// Nearest integer, halves to even (inline, without a library call).
std::int64_t RoundHalfEven(double v) { return numeric::Round(v); }

// The sample index of a position, fraction dropped.
std::int64_t SampleIndex(double l) {
  if (!(l > -1e15 && l < 1e15)) return numeric::Trunc(l);
  return static_cast<std::int64_t>(l);
}

int RoundedCode(double v) { return static_cast<int>(std::clamp<std::int64_t>(RoundHalfEven(v), -1000000, 1000000)); }

int TracePoints(ScopeView& view, const PictureSettings& s, int first, int end) {
  const Channel ch = ChannelRange(s, first, end);
  const Stepping st = PlainStepping(s);
  const int cap = PlotCapacity(view);
  const int xEnd = view.X0 + view.PlotWidth();
  std::int64_t d = static_cast<std::int64_t>(s.DisplayStart) + first;
  double l = static_cast<double>(d);
  int x = view.X0;
  int n = 0;
  const double halfSteps = 2 * st.dl;
  if (d >= 0 && halfSteps >= 1 && halfSteps <= 1 << 20 && halfSteps == static_cast<double>(static_cast<int>(halfSteps))) {
    // Steps of whole or half samples (as the usual time bases give): every
    // position is exact, and a point is a sample or the mean of two,
    // rounded half to even, in integers.
    const std::int64_t hs = static_cast<int>(halfSteps);
    // How many points the loop below makes; when all their samples lie in
    // the channel, they are made without the limits checked point by point.
    std::int64_t count = std::max(0, cap);
    const std::int64_t hEnd = 2 * (static_cast<std::int64_t>(end) - 2);
    count = std::min(count, hEnd > 2 * d ? (hEnd - 2 * d + hs - 1) / hs : 0);
    if (x >= xEnd)
      count = 0;
    else if (st.dx > 0)
      count = std::min<std::int64_t>(count, (static_cast<std::int64_t>(xEnd) - x + st.dx - 1) / st.dx);
    if (count > 0 && d >= ch.lo && ((2 * d + (count - 1) * hs) >> 1) + 1 <= ch.hi) {
      const std::int32_t* samples = ch.samples;
      const int top = view.Y0 + 255;
      std::int64_t h = 2 * d;
      for (std::int64_t k = 0; k < count; ++k, h += hs, x += st.dx) {
        const std::int64_t at = h >> 1;
        std::int64_t v = samples[at];
        if (h & 1) {
          const std::int64_t sum = v + samples[at + 1];
          v = sum >> 1;  // floor
          if ((sum & 1) && (v & 1)) ++v;
        }
        view.PlotPoints[static_cast<std::size_t>(k)] = TPoint{x, top - static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000))};
      }
      n = static_cast<int>(count);
    } else {
      for (std::int64_t h = 2 * d; d < static_cast<std::int64_t>(end) - 2 && x < xEnd && n < cap; d = h >> 1) {
        std::int64_t v = At(d, ch);
        if (h & 1) {
          const std::int64_t sum = v + At(d + 1, ch);
          v = sum >> 1;  // floor
          if ((sum & 1) && (v & 1)) ++v;
        }
        view.PlotPoints[n++] = TPoint{x, view.Y0 - static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000)) + 255};
        x += st.dx;
        h += hs;
      }
    }
  } else {
    while (d < static_cast<std::int64_t>(end) - 2 && x < xEnd && n < cap) {
      const int v = RoundedCode(Interpolated(d, l - static_cast<double>(d), ch));
      view.PlotPoints[n++] = TPoint{x, view.Y0 - v + 255};
      x += st.dx;
      l += st.dl;
      d = SampleIndex(l);
    }
  }
  if (s.DigitalMode) {
    // The logic lines end where the expanded samples end (code 0).
    while (n > 0 && view.PlotPoints[n - 1].y >= view.Y0 + 255) --n;
    if (n > 0) --n;
  }
  return n;
}

int SpectrumTracePoints(ScopeView& view, const PictureSettings& s, int first, int end) {
  const Channel ch = ChannelRange(s, first, end);
  const int zoom = s.SpectrumZoom;
  const int cap = static_cast<int>(kPlotPointCapacity);
  const int xEnd = view.X0 + view.PlotWidth();
  std::int64_t d = static_cast<std::int64_t>(s.DisplayStart) + first;
  int x = view.X0;
  int n = 0;
  while (d + zoom < end && x < xEnd && n + 2 <= cap) {
    std::int32_t v = At(d, ch);
    for (int k = 1; k <= zoom; ++k) v = std::max(v, At(d + k, ch));
    const int y = view.Y0 - std::min<std::int32_t>(v, 255) + 255;
    view.PlotPoints[n++] = TPoint{x, y};
    view.PlotPoints[n++] = TPoint{x + 1, y};
    x += 2;
    d += zoom;
  }
  return n;
}

// The arithmetic trace: both channels interpolated at each step, taken
// relative to their ground codes and combined on the coarser channel's scale;
// 127 is mid-screen.
int MathTracePoints(ScopeView& view, const PictureSettings& s, int first, int end) {
  view.Ch1MilliVoltsPerDiv = MilliVoltsOfRange(s.Channels[0].GainCode, view.Ch1MilliVoltsPerDiv);
  view.Ch2MilliVoltsPerDiv = MilliVoltsOfRange(s.Channels[1].GainCode, view.Ch2MilliVoltsPerDiv);
  const double v1 = view.Ch1MilliVoltsPerDiv, v2 = view.Ch2MilliVoltsPerDiv;
  view.MathScaleRatio = std::min(v1, v2) / std::max(v1, v2);
  const MathFunction function = s.Ch1PlusCh2Mode    ? MathFunction::Sum
                                : s.Ch1MinusCh2Mode ? MathFunction::Difference
                                : s.MultiplyMode    ? MathFunction::Product
                                                  : MathFunction::Quotient;

  const Channel ch2 = Ch2Of(s);
  const Channel ch1 = Ch1Of(s);
  const Stepping st = PlainStepping(s);
  const int cap = PlotCapacity(view);
  const int xEnd = view.X0 + view.PlotWidth();
  std::int64_t d = static_cast<std::int64_t>(s.DisplayStart) + first;
  double l = static_cast<double>(d);
  int x = view.X0;
  int n = 0;
  while (d < end && x < xEnd && n < cap) {
    const double f = l - static_cast<double>(d);
    const std::int64_t a1 = RoundedCode(Interpolated(d + kChannelLength, f, ch1)) - (255 - s.Channels[0].GroundLevel);
    const std::int64_t a2 = RoundedCode(Interpolated(d, f, ch2)) - (255 - s.Channels[1].GroundLevel);
    const std::int32_t m = MathCode(function, a1, a2, v1, v2);
    view.PlotPoints[n++] = TPoint{x, view.Y0 - static_cast<int>(m) + 255};
    x += st.dx;
    l += st.dl;
    d = SampleIndex(l);
  }
  return n;
}

// The XY figure: CH2 across, CH1 up, inside the square grid.
int XYTracePoints(ScopeView& view, const PictureSettings& s, int first, int end) {
  const Channel ch2 = Ch2Of(s);
  const Channel ch1 = Ch1Of(s);
  const int cap = PlotCapacity(view);
  const int xEnd = view.X0 + view.PlotWidth();
  std::int64_t d = static_cast<std::int64_t>(s.DisplayStart) + first;
  double l = static_cast<double>(d);
  int x = view.X0;
  int n = 0;
  while (d < end && x < xEnd && n < cap) {
    const double f = l - static_cast<double>(d);
    const int c2 = RoundedCode(Interpolated(d, f, ch2));
    const int c1 = RoundedCode(Interpolated(d + kChannelLength, f, ch1));
    view.PlotPoints[n++] = TPoint{view.X0 + view.XYOriginX + view.VScale * c2, view.Y0 + 255 - c1};
    x += s.PixelStep;
    l += s.Magnification;
    d = SampleIndex(l);
  }
  return n;
}

// Points the interpolated plots draw: the whole window, or fewer near the end
// of the record; never more than the window holds.
int InterpolatedCount(const ScopeView& view, const PictureSettings& s, int limit, int step, std::int64_t shortCount) {
  const std::int64_t remaining = kChannelLength - static_cast<std::int64_t>(s.DisplayStart);
  std::int64_t count = view.PlotWidth();
  if (static_cast<std::int64_t>(step) * limit >= remaining) count = shortCount;
  return static_cast<int>(std::clamp<std::int64_t>(count, 0, PlotCapacity(view)));
}

}  // namespace

// ---------------------------------------------------------------- views

ScopeView MainScopeView(TImage* image, int x0, int y0, int textLineY, int markerLimitX, int markerLimitY,
                        const MarkerPlaces& markers, const ReadoutPlaces& readouts) {
  ScopeView view;
  view.Image = image;
  view.X0 = x0;
  view.Y0 = y0;
  view.GridWidth = 650;
  view.VScale = 1;
  view.FrameTopY = y0 - 1;
  view.FrameBottomY = y0 + 257;
  view.TickBaseY = y0 + 256;
  view.XYOriginX = 198;
  view.SineShortLimit = 71;
  view.LinearShortLimit = 70;
  view.TextLineY = textLineY;
  view.MarkerLimitX = markerLimitX;
  view.MarkerLimitY = markerLimitY;
  view.Markers = markers;
  view.Readouts = readouts;
  return view;
}

ScopeView BigScopeView(TImage* image, const MarkerPlaces& markers, const ReadoutPlaces& readouts) {
  ScopeView view;
  view.Image = image;
  const int w = image ? image->Width() : 1000;
  const int h = image ? image->Height() : 560;
  view.X0 = w / 2 - 475;
  view.Y0 = h / 2 - 256;
  view.GridWidth = 950;
  view.VScale = 2;
  view.FrameTopY = view.Y0 - 1;
  view.FrameBottomY = view.Y0 + 512;
  view.TickBaseY = view.Y0 + 512;
  view.XYOriginX = 221;
  view.SineShortLimit = 100;
  view.LinearShortLimit = 100;
  view.TextLineY = h - 20;
  view.MarkerLimitX = w - view.X0;
  view.MarkerLimitY = h - view.Y0;
  view.Texts.SampleRate = 792;
  view.Texts.TimeDiv = 892;
  view.Texts.Rms = 810;
  view.Texts.Dbm = 895;
  view.Markers = markers;
  view.Readouts = readouts;
  return view;
}

// ---------------------------------------------------------------- picture cycle

void WipePicture(ScopeView& view, TColor background) {
  if (view.Image) {
    TCanvas* canvas = view.Image->Canvas();
    canvas->Brush.Color = background;
    canvas->Brush.Style = bsSolid;
    canvas->FillRect(Rect(0, 0, view.Image->Width(), view.Image->Height()));
    view.Image->Invalidate();
  }
  // The graticule draws the trigger tick again (and says so) when it is rebuilt.
  view.Ch1Drawn = view.Ch2Drawn = view.MathDrawn = view.LineDrawn = 0;
}

bool EraseTraces(ScopeView& view, const PictureSettings& s) {
  bool plain = false;
  WithChannelsOfMath(s, [&](const PictureSettings& c) {
    if (!c.MathOff && !c.InvertCh2Mode) return;
    if (view.Image) view.Image->Invalidate();
    if (!c.SpectrumMode && view.LineDrawn) {
      DrawTriggerTick(view, c);
      view.LineDrawn = 0;
    }
    if (view.Ch1Drawn) {
      plain |= PlotTraceOn(view, c, 1);
      view.Ch1Drawn = 0;
    }
    if (view.Ch2Drawn) {
      plain |= PlotTraceOn(view, c, 2);
      view.Ch2Drawn = 0;
    }
  });
  if (!s.MathOff && !s.InvertCh2Mode && view.MathDrawn) {
    plain |= PlotTraceOn(view, WithMathPen(s), 3);
    view.MathDrawn = 0;
  }
  return plain;
}

bool DrawTraces(ScopeView& view, const PictureSettings& s) {
  bool plain = false;
  if (s.TracesShown) {
    WithChannelsOfMath(s, [&](const PictureSettings& c) {
      if (!c.MathOff && !c.InvertCh2Mode) return;
      if (c.Channels[0].On && !view.Ch1Drawn) {
        plain |= PlotTraceOn(view, c, 1);
        view.Ch1Drawn = 1;
      }
      if (c.Channels[1].On && !view.Ch2Drawn) {
        plain |= PlotTraceOn(view, c, 2);
        view.Ch2Drawn = 1;
      }
    });
    if (!s.MathOff && !s.InvertCh2Mode && !view.MathDrawn) {
      plain |= PlotTraceOn(view, WithMathPen(s), 3);
      view.MathDrawn = 1;
    }
  }
  if (!s.SpectrumMode && !view.LineDrawn) {
    DrawTriggerTick(view, s);
    view.LineDrawn = 1;
  }
  if (view.Image) view.Image->Invalidate();
  return plain;
}

// ---------------------------------------------------------------- plotters

int PlotPlainPoints(ScopeView& view, const PictureSettings& settings, int first, int end) {
  if (settings.SpectrumMode) return SpectrumTracePoints(view, settings, first, end);
  if (settings.XYShown()) return XYTracePoints(view, settings, first, end);
  if (ArithmeticMode(settings)) return MathTracePoints(view, settings, first, end);
  return TracePoints(view, settings, first, end);
}

int PlotSinePoints(ScopeView& view, const PictureSettings& settings, int first, int end, int step) {
  const int s = std::max(1, step);
  const Channel ch = ChannelRange(settings, first, end);
  const std::int64_t ds = settings.DisplayStart;
  const int count = InterpolatedCount(view, settings, view.SineShortLimit, s,
                                      (kChannelLength - ds - 5) * 10 / s - 10 * settings.PlotMethod - 30);
  if (count == 0) return 0;

  // Filtered value j is the kernel over held entries 4 DisplayStart + j + 1 ..
  // + 95, held entry e (from 47 on) holding sample (e - 47) / 4 and the
  // entries before it the first sample as it is. Rail codes are pushed past
  // the rails so that clipped samples stay clipped after filtering.
  const int lastReplica = 2 + s * (count - 1) + 4;
  const int filtered = lastReplica / kSineSmooth + 1;
  std::array<std::int32_t, 4 * kPlotPointCapacity>& filtBuf = view.SineFiltered;
  if (filtered > static_cast<int>(filtBuf.size())) return 0;
  const std::int64_t e0 = kSineHold * ds + 1;
  auto held = [&](std::int64_t sample) {
    const std::int32_t v = At(sample, ch);
    // Held values stay within the rail margins, so the sums fit 32 bits.
    return v == 255 ? 258 : v == 0 ? -3 : std::clamp(v, -3, 258);
  };
  if (e0 >= kFirstHeldEntry) {
    // Every entry holds a sample 4 times: the 95 taps fold into 4 phases of
    // 25 taps over the samples themselves (the same sums, a quarter the work).
    constexpr int kFolded = (kSineKernelTaps + 3 + kSineHold - 1) / kSineHold;
    std::array<std::array<std::int32_t, kFolded>, kSineHold> folded{};
    for (int phase = 0; phase < kSineHold; ++phase)
      for (int t = 0; t < kSineKernelTaps; ++t) folded[phase][(phase + t) / kSineHold] += kSineKernel[t];
    const std::int64_t q0 = e0 - kFirstHeldEntry;
    const std::int64_t k0 = q0 / kSineHold;
    const int samples = static_cast<int>((q0 + filtered - 1) / kSineHold - k0) + kFolded;
    std::array<std::int32_t, kPlotPointCapacity + 64>& codes = view.SineCodes;
    if (samples > static_cast<int>(codes.size())) return 0;
    for (int m = 0; m < samples; ++m) codes[m] = held(first + k0 + m);
    for (int j = 0; j < filtered; ++j) {
      const std::int64_t q = q0 + j;
      const auto& taps = folded[q % kSineHold];
      const std::int32_t* src = codes.data() + (q / kSineHold - k0);
      std::int32_t sum = 0;
      for (int m = 0; m < kFolded; ++m) sum += taps[m] * src[m];
      filtBuf[j] = std::clamp(sum / kSineKernelSum, 0, 255);
    }
  } else {
    // Right at the start of the record the entries before the first held
    // sample come in: entry by entry.
    const std::int32_t leading = std::clamp(At(first, ch), -3, 258);
    for (int j = 0; j < filtered; ++j) {
      std::int32_t sum = 0;
      for (int t = 0; t < kSineKernelTaps; ++t) {
        const std::int64_t e = e0 + j + t;
        const std::int32_t v = e < kFirstHeldEntry ? leading : held(first + (e - kFirstHeldEntry) / kSineHold);
        sum += kSineKernel[t] * v;
      }
      filtBuf[j] = std::clamp(sum / kSineKernelSum, 0, 255);
    }
  }
  // Each filtered value spans 5 entries; a pixel averages 5 entries, the
  // window advancing by the step: 20 / step pixels per sample.
  for (int p = 0; p < count; ++p) {
    const int o = 2 + s * p;
    const int a = o / kSineSmooth, r = o % kSineSmooth;
    const int sum = (kSineSmooth - r) * filtBuf[a] + (r ? r * filtBuf[a + 1] : 0);
    view.PlotPoints[p] = TPoint{view.X0 + p, view.Y0 - sum / kSineSmooth + 255};
  }
  return count;
}

int PlotLinearPoints(ScopeView& view, const PictureSettings& settings, int first, int end, int step) {
  const int s = std::max(1, step);
  const Channel ch = ChannelRange(settings, first, end);
  const std::int64_t ds = settings.DisplayStart;
  int count = InterpolatedCount(view, settings, view.LinearShortLimit, s,
                                (kChannelLength - ds) * 10 / s - 10 * settings.PlotMethod - 50);
  // Each sample is held for 20 entries; a pixel is the weighted sum of the 20
  // entries from s x pixel on, which covers at most two neighbouring samples.
  std::array<std::int32_t, kLinearTaps + 1> prefix{};
  for (int q = 0; q < kLinearTaps; ++q) prefix[q + 1] = prefix[q] + kLinearWeight;
  const std::int64_t start = first + ds;
  for (int p = 0; p < count; ++p) {
    const int o = s * p;
    const int a = o / kLinearTaps, r = o % kLinearTaps;
    const std::int64_t sum = static_cast<std::int64_t>(prefix[kLinearTaps - r]) * At(start + a, ch) +
                             static_cast<std::int64_t>(prefix[kLinearTaps] - prefix[kLinearTaps - r]) *
                                 At(start + a + 1, ch);
    view.PlotPoints[p] = TPoint{view.X0 + p, view.Y0 - static_cast<int>(sum / kLinearSum) + 255};
  }
  if (settings.DigitalMode && count > 0 && view.PlotPoints[count - 1].y == view.Y0 + 255) {
    int trailing = 0;
    while (trailing < count && view.PlotPoints[count - 1 - trailing].y >= view.Y0 + 255) ++trailing;
    count = std::max(0, count - 4 - trailing);
  }
  return count;
}

// ---------------------------------------------------------------- drawing

bool PlotTraceOn(ScopeView& view, const PictureSettings& s, int trace) {
  view.PlotTrace = trace;
  if (view.Image) view.Image->Canvas()->Pen.Color = trace == 1 ? s.Colors.Ch1PenColor : s.Colors.Ch2PenColor;
  int base = trace == 1 ? kChannelLength : 0;
  if (s.SpectrumMode) {
    DrawPlain(view, s, base, base + std::clamp<std::int32_t>(s.SpectrumPoints, 0, kChannelLength));
    return false;
  }
  int method = s.PlotMethod;
  const bool math = s.XYShown() || s.ArithmeticShown();
  if (math) {
    method = 0;
    base = 0;
  }
  if (method == 1 || method == 2) {
    const int step = method == 1 ? 2 : 1;
    if (s.InterpolationChoice == 1)
      DrawLinear(view, s, base, base + kChannelLength, step);
    else
      DrawSine(view, s, base, base + kChannelLength, step);
  } else {
    DrawPlain(view, s, base, base + kChannelLength);
  }
  return math;
}

void DrawPlain(ScopeView& view, const PictureSettings& s, int first, int end) {
  const bool math = !s.SpectrumMode && ArithmeticMode(s);
  if (math) view.TracePenWidth = 2;
  DrawPlotPoints(view, s, PlotPlainPoints(view, s, first, end));
  if (math) view.TracePenWidth = 1;
}

void DrawSine(ScopeView& view, const PictureSettings& s, int first, int end, int step) {
  DrawPlotPoints(view, s, PlotSinePoints(view, s, first, end, step));
}

void DrawLinear(ScopeView& view, const PictureSettings& s, int first, int end, int step) {
  DrawPlotPoints(view, s, PlotLinearPoints(view, s, first, end, step));
}

void DrawPlotPoints(ScopeView& view, const PictureSettings& s, int count) {
  if (!view.Image) return;
  count = std::clamp(count, 0, static_cast<int>(kPlotPointCapacity));
  TCanvas* canvas = view.Image->Canvas();
  const TPen saved = canvas->Pen;
  const int y0 = view.Y0;

  // A stopped trace follows its position bar; the shift belongs to the
  // channel plotted, whatever colours the pens have.
  const bool stopped = s.AcquisitionIdle && !s.SpectrumMode;
  const int shift = !stopped ? 0 : view.PlotTrace == 1 ? s.Channels[0].CapturePos : view.PlotTrace == 2 ? s.Channels[1].CapturePos : 0;
  const bool mirrored = view.PlotTrace == 2 && s.InvertedCh2();
  for (int i = 0; i < count; ++i) {
    int y = view.PlotPoints[i].y;
    if (stopped) y = std::clamp(y - shift, y0, y0 + 255);
    if (mirrored) y = 2 * y0 + 255 - y;
    // Clipped points go onto the frame, where they stay visible.
    if (y == y0 + 255)
      y = view.FrameBottomY;
    else if (s.MathOff && y == y0)
      y = view.FrameTopY;
    else
      y = view.ScaledY(y);
    view.PlotPoints[i].y = y;
  }

  const int persistence = s.Persistence;
  canvas->Pen.Mode = pmNotXor;
  canvas->Pen.Style = psSolid;
  if (persistence == 1) {
    // Normal persistence accumulates the traces in their true colours.
    canvas->Pen.Mode = pmCopy;
    canvas->Pen.Color = ~(saved.Color ^ s.Colors.BackgroundColor) & 0xFFFFFF;
  }
  canvas->Pen.Width = view.TracePenWidth;
  if (s.DotJoin || s.SpectrumMode) {
    if (s.LiveTraceOn) canvas->Polyline(view.PlotPoints.data(), count);
    canvas->Pen.Width = 1;
  } else if (persistence != 2 && persistence != 3) {
    for (int i = 0; i < count; ++i) canvas->SetPixel(view.PlotPoints[i].x, view.PlotPoints[i].y, canvas->Pen.Color);
  }
  // Graded and variable persistence take in the trace that is on the
  // picture, as it is erased.
  if ((persistence == 2 || persistence == 3) &&
      ((view.PlotTrace == 1 && view.Ch1Drawn) || (view.PlotTrace == 2 && view.Ch2Drawn))) {
    PersistenceStores& stores = PersistenceStoresOf(view);
    if (persistence == 2)
      stores.AddGraded(view, s, view.PlotTrace - 1, view.PlotPoints.data(), count);
    else
      stores.AddVariable(view, s, view.PlotTrace - 1, view.PlotPoints.data(), count);
  }

  // The frame lines again, over whatever clipped points did to them: one
  // pixel high, copied in the frame colour.
  canvas->Pen = saved;
  const TBrush brush = canvas->Brush;
  canvas->Brush.Color = s.Colors.BrightGridPenColor;
  canvas->Brush.Style = bsSolid;
  for (int y : {view.FrameTopY, view.FrameBottomY})
    canvas->FillRect(Rect(view.X0, y, view.X0 + view.GridWidth + 1, y + 1));
  canvas->Brush = brush;
}

void DrawTriggerTick(ScopeView& view, const PictureSettings& s) {
  DrawTriggerTick(view, s, TriggerPenColor(s.Colors, s.TriggerSource));
}

void DrawTriggerTick(ScopeView& view, const PictureSettings& s, TColor pen) {
  if (!view.Image) return;
  double sample = s.DigitalMode ? s.CaptureStart : s.DisplayStart;
  const double step = s.DigitalMode ? s.Magnification / 8 : s.Magnification;
  int offset = 0;
  for (int i = 0; sample < kTriggerSample && offset <= view.GridWidth && i <= view.GridWidth; ++i) {
    sample += step;
    offset += s.PixelStep;
  }
  if (offset < 1 || offset > view.GridWidth) return;
  TCanvas* canvas = view.Image->Canvas();
  const TPen saved = canvas->Pen;
  const TPoint pos = canvas->PenPos;
  canvas->Pen.Color = pen;
  canvas->Pen.Mode = pmNotXor;
  canvas->Pen.Style = psSolid;
  canvas->Pen.Width = 2;
  canvas->MoveTo(view.X0 + offset, view.TickBaseY);
  canvas->LineTo(view.X0 + offset, view.TickBaseY - 6);
  canvas->Pen = saved;
  canvas->PenPos = pos;
}

}  // namespace display
