// The scope's print preview: the Big Screen picture while the Big Screen
// shows, else the scope picture; on a portrait page the measurement table.
#pragma once

#include "io/print_preview_window.h"

class TPreviewForm : public PrintPreviewWindow {
 public:
  explicit TPreviewForm(TComponent* owner);
  const TBitmap* SourcePicture() const override;
  std::vector<std::string> MeasurementTableLines() const override;
};

inline TPreviewForm* PreviewForm = nullptr;
