// The scope's two print previews: their page design and what they print.
#include "engine/files/files_controller.h"
#include "engine/measurement_window.h"
#include "engine/print_preview.h"
#include "engine/print_preview_1.h"
#include "engine/scope_window.h"

TPreviewForm::TPreviewForm(TComponent* owner)
    : PrintPreviewWindow(owner, Design{620, 552, 570, 10, 428, 81, 4, true, "Oscilloscope"}) {}

const TBitmap* TPreviewForm::SourcePicture() const {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  return scope ? scope->Files().ScopePrintPicture() : nullptr;
}

std::vector<std::string> TPreviewForm::MeasurementTableLines() const {
  if (!Form_99) return {};
  Form_99->CopyClick(Form_99);
  return Form_99->Memo1->Lines().Lines();
}

TPreview_1Form::TPreview_1Form(TComponent* owner)
    : PrintPreviewWindow(owner, Design{622, 549, 570, 10, 428, 81, 5, false, "Oscilloscope"}) {}

const TBitmap* TPreview_1Form::SourcePicture() const {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  return scope && scope->Picture() ? scope->Picture()->Picture() : nullptr;
}
