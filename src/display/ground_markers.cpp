// Ground-level markers on any view.
#include "display/ground_markers.h"

#include "platform/ui/vcl.h"

namespace display {

void DrawGroundGlyph(ScopeView& view, int channel, int level, TColor pen) {
  if (!view.Image) return;
  DrawGroundGlyph(*view.Image->Canvas(), view.X0, view.Y0 + view.VScale * level, channel, pen);
  view.Image->Invalidate();
}

void DrawGroundGlyph(TCanvas& canvas, int x0, int l, int channel, TColor pen) {
  TCanvas* c = &canvas;
  const TPen saved = c->Pen;
  c->Pen.Color = pen;
  c->Pen.Mode = pmNotXor;
  c->Pen.Style = psSolid;
  c->Pen.Width = 1;
  if (channel == 1) {
    const TPoint one[] = {{x0 - 9, l - 2}, {x0 - 8, l - 3}, {x0 - 8, l + 4}};
    c->Polyline(one, 3);
  } else {
    const TPoint two[] = {{x0 - 6, l - 2}, {x0 - 5, l - 3}, {x0 - 4, l - 3}, {x0 - 3, l - 2},
                          {x0 - 3, l},     {x0 - 6, l + 3}, {x0 - 2, l + 3}};
    c->Polyline(two, 7);
  }
  c->Pen = saved;
}

}  // namespace display
