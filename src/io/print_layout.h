// Where the print previews and the printouts place an instrument's picture
// and the lines under it on a page. All divisions round to the nearest
// integer (ties to even).
#pragma once

#include <string>
#include <vector>

namespace io {

struct PagePlace {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool operator==(const PagePlace&) const = default;
};

// The picture's place on a page of pageWidth x pageHeight for a source of
// sourceWidth x sourceHeight. Landscape: as high as the page less a margin
// of page height / topDivisor above and below, centred; portrait: side
// margins of a tenth of the width, a tenth of the height above.
PagePlace PicturePlace(int pageWidth, int pageHeight, int sourceWidth, int sourceHeight, bool landscape,
                       int topDivisor);

// The preview page's height for its width, in the printer page's proportions.
int PreviewPageHeight(int previewWidth, int printerPageWidth, int printerPageHeight);

// One line of the measurement table under the caption: the fields of a
// report line split at TABs and their places, rowStep below each other
// starting one row below (x, y), columns a fifth and two fifths of the page
// width to the right (the third field moves to the second column when the
// second is empty).
struct TableText {
  int X = 0, Y = 0;
  std::string Text;
  bool operator==(const TableText&) const = default;
};
std::vector<TableText> MeasurementTableTexts(const std::vector<std::string>& reportLines, int x, int y,
                                             int pageWidth, int rowStep);

}  // namespace io
