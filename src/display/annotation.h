// The screen annotation and the on-screen parameter list: where each piece of
// text goes (pure), and drawing the pieces on a view.
#pragma once

#include <string>
#include <vector>

#include "display/scope_view.h"
#include "platform/ui/types.h"

namespace display {

inline constexpr int kNoteLinePitch = 13;

// One piece of text at its place; Colour says whose colour it takes.
enum class NoteColour { Marker, Ch1, Ch2 };
struct PlacedText {
  std::string Text;
  int X, Y;
  NoteColour Colour = NoteColour::Marker;
};

// The annotation's lines from (x, y), 13 pixels apart. A line without a TAB
// is one piece at x; a line with TABs is split at the first two: the first
// field at x + firstShift, the second at x + 80, the rest at x + 140 when
// both channels are reported, else at x + 80.
std::vector<PlacedText> AnnotationLayout(const std::vector<std::string>& lines, int x, int y, bool bothChannels,
                                         int firstShift = 0);

// The parameter report as a list: each line with a TAB gives its label at
// (labelX, 22 + 13 n) and its values 70 (CH1, or the one channel reported)
// and 130 (CH2 beside CH1) pixels further right; lines without a TAB are left out.
std::vector<PlacedText> ParameterListLayout(const std::vector<std::string>& report, int labelX, bool ch1,
                                            bool ch2);

// Prints the pieces on the view's picture: marker colour, or the channel
// colours; with a clear background the picture shows between the letters.
void DrawPlacedTexts(ScopeView& view, const std::vector<PlacedText>& texts, bool transparent,
                     const ColorTable& colors);

}  // namespace display
