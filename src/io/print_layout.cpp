#include "io/print_layout.h"

#include "platform/os/numeric.h"

namespace io {
namespace {

int Divide(double a, double b) { return numeric::Round32(a / b); }

std::vector<std::string> SplitAtTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

}  // namespace

PagePlace PicturePlace(int pageWidth, int pageHeight, int sourceWidth, int sourceHeight, bool landscape,
                       int topDivisor) {
  PagePlace place;
  if (sourceWidth <= 0 || sourceHeight <= 0) return place;
  if (landscape) {
    const int margin = Divide(pageHeight, topDivisor);
    place.Top = margin;
    place.Height = pageHeight - 2 * margin;
    place.Width = Divide(static_cast<double>(place.Height) * sourceWidth, sourceHeight);
    place.Left = Divide(pageWidth, 2) - Divide(static_cast<double>(place.Height) * sourceWidth, 2.0 * sourceHeight);
  } else {
    const int side = Divide(pageWidth, 10);
    place.Left = side;
    place.Width = pageWidth - 2 * side;
    place.Top = Divide(pageHeight, 10);
    place.Height = Divide(static_cast<double>(place.Width) * sourceHeight, sourceWidth);
  }
  return place;
}

int PreviewPageHeight(int previewWidth, int printerPageWidth, int printerPageHeight) {
  if (printerPageWidth <= 0) return 0;
  return Divide(static_cast<double>(printerPageHeight) * previewWidth, printerPageWidth);
}

std::vector<TableText> MeasurementTableTexts(const std::vector<std::string>& reportLines, int x, int y,
                                             int pageWidth, int rowStep) {
  std::vector<TableText> texts;
  const int fifth = Divide(pageWidth, 5);
  const int twoFifths = Divide(2.0 * pageWidth, 5);
  for (std::size_t i = 0; i < reportLines.size(); ++i) {
    const std::vector<std::string> fields = SplitAtTabs(reportLines[i]);
    const int row = y + rowStep * static_cast<int>(i + 1);
    const std::string& second = fields.size() > 1 ? fields[1] : std::string();
    if (!fields[0].empty()) texts.push_back({x, row, fields[0]});
    if (!second.empty()) texts.push_back({x + fifth, row, second});
    if (fields.size() > 2 && !fields[2].empty())
      texts.push_back({x + (second.empty() ? fifth : twoFifths), row, fields[2]});
  }
  return texts;
}

}  // namespace io
