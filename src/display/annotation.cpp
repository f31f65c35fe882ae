// Placing and drawing the annotation and the parameter list.
#include "display/annotation.h"

#include "display/graticule.h"
#include "platform/ui/image.h"

namespace display {

namespace {

constexpr int kSecondColumn = 80;
constexpr int kThirdColumn = 140;
constexpr int kListTop = 22;
constexpr int kFirstValue = 70;
constexpr int kSecondValue = 130;

// The text up to the next TAB from `from`, and where the rest starts
// (npos when there is no further TAB).
std::string Field(const std::string& line, std::size_t from, std::size_t* next) {
  const std::size_t tab = line.find('\t', from);
  *next = tab == std::string::npos ? std::string::npos : tab + 1;
  return line.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
}

}  // namespace

std::vector<PlacedText> AnnotationLayout(const std::vector<std::string>& lines, int x, int y, bool bothChannels,
                                         int firstShift) {
  std::vector<PlacedText> out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int row = y + kNoteLinePitch * static_cast<int>(i);
    if (line.find('\t') == std::string::npos) {
      out.push_back({line, x + firstShift, row});
      continue;
    }
    // Split at the first two TABs; with a single TAB the second field is
    // empty and all after it is the rest.
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    out.push_back({line.substr(0, tab1), x + firstShift, row});
    if (tab2 != std::string::npos) out.push_back({line.substr(tab1 + 1, tab2 - tab1 - 1), x + kSecondColumn, row});
    const std::size_t rest = tab2 == std::string::npos ? tab1 + 1 : tab2 + 1;
    out.push_back({line.substr(rest), x + (bothChannels ? kThirdColumn : kSecondColumn), row});
  }
  return out;
}

std::vector<PlacedText> ParameterListLayout(const std::vector<std::string>& report, int labelX, bool ch1,
                                            bool ch2) {
  std::vector<PlacedText> out;
  int row = kListTop;
  for (const std::string& line : report) {
    if (line.find('\t') == std::string::npos) continue;
    std::size_t next = 0;
    out.push_back({Field(line, 0, &next), labelX, row});
    const std::string first = Field(line, next, &next);
    if (ch1 && ch2) {
      out.push_back({first, labelX + kFirstValue, row, NoteColour::Ch1});
      if (next != std::string::npos) out.push_back({Field(line, next, &next), labelX + kSecondValue, row, NoteColour::Ch2});
    } else {
      out.push_back({first, labelX + kFirstValue, row, ch2 ? NoteColour::Ch2 : NoteColour::Ch1});
    }
    row += kNoteLinePitch;
  }
  return out;
}

void DrawPlacedTexts(ScopeView& view, const std::vector<PlacedText>& texts, bool transparent,
                     const ColorTable& colors) {
  if (!view.Image) return;
  TCanvas* c = view.Image->Canvas();
  const TBrush brush = c->Brush;
  const TPoint pos = c->PenPos;
  if (transparent) c->Brush.Style = bsClear;
  UsePictureFont(c);
  for (const PlacedText& t : texts) {
    c->Font.Color = t.Colour == NoteColour::Ch1 ? colors.Ch1Color : t.Colour == NoteColour::Ch2 ? colors.Ch2Color : colors.TimeMarkerColor;
    c->TextOut(t.X, t.Y, t.Text);
  }
  c->Brush = brush;
  c->PenPos = pos;
  view.Image->Invalidate();
}

}  // namespace display
