// Pictures of windows nobody has opened yet: drawn when first shown or read,
// they are the pictures the window's own drawing makes from the state it
// was made with, whatever changed in between.
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "app/windows.h"
#include "display/display_state.h"
#include "engine/big_screen.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "platform/ui/vcl.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"
#include "support/app_harness.h"
#include "support/program_states.h"

namespace {

GeneratorPanel* RecorderGeneratorPanel() {
  for (GeneratorPanel* p : CreatedGeneratorState().Panels)
    if (!p->ScopeWindow()) return p;
  return nullptr;
}

struct FirstPicture {
  const char* name;
  std::function<TImage*()> image;
  std::function<TForm*()> window;
  // Changes what the picture is drawn from, and puts it back.
  std::function<std::function<void()>()> change;
  // The window's own drawing of the picture, now.
  std::function<void()> redraw;
};

template <class T>
std::function<void()> Change(T& value, std::type_identity_t<T> other) {
  return [&value, old = std::exchange(value, other)] { value = old; };
}

const FirstPicture kPictures[] = {
    {"Big Screen", [] { return Form10->Image10; }, [] { return static_cast<TForm*>(Form10); },
     [] {
       // Colours, trigger tick and markers all come from here.
       auto colours = Change(DisplayState().BackgroundColor, TColor{0x123456});
       auto grid = Change(DisplayState().GridPenColor, TColor{0x00FF00});
       auto markers = Change(DisplayState().MarkersOn, 1);
       return std::function<void()>([=] { colours(), grid(), markers(); });
     },
     [] { Form10->putsataanko(); }},
    {"recorder", [] { return Form1_rec->Image1; }, [] { return static_cast<TForm*>(Form1_rec); },
     [] {
       auto colours = Change(CreatedRecorderState().RecBackgroundColor, TColor{0x123456});
       auto markers = Change(CreatedRecorderState().RecMarkersOn, 1);
       return std::function<void()>([=] { colours(), markers(); });
     },
     [] { Form1_rec->DoGrid(); }},
    {"recorder's generator offset read-out", [] { return RecorderGeneratorPanel()->Image7; },
     [] { return static_cast<TForm*>(Form1_rec); },
     [] { return Change(CreatedGeneratorState().OffsetDac, 0); },
     [] { Form1_fgen->ShowOffsetReadout(); }},
};

QImage PictureNow(TImage* image) { return std::as_const(*image->Picture()).Image().copy(); }

TEST(FirstPictures, AreTheWindowsOwnDrawingAsMadeWhenFirstShownOrRead) {
  for (const FirstPicture& p : kPictures) {
    for (const bool shown : {true, false}) {
      SCOPED_TRACE(std::string(p.name) + (shown ? ", shown first" : ", read first"));
      AppHarness app;
      ASSERT_FALSE(p.window()->Visible());
      QImage first;
      if (shown) {
        p.window()->Show();
        first = p.image()->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
      } else {
        // Saved, copied or printed before the window shows: the picture of
        // the state the window was made in.
        const std::function<void()> restore = p.change();
        first = PictureNow(p.image());
        restore();
      }
      p.redraw();
      const QImage drawn = PictureNow(p.image());
      ASSERT_EQ(first.size(), drawn.size());
      EXPECT_TRUE(first == drawn);
    }
  }
}

}  // namespace
