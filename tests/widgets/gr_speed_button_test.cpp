#include "widgets/gr_speed_button.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include "platform/ui/forms.h"
#include "widgets/control_maker.h"

namespace {

TColor PixelOf(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

// The face the button paints now, at its own size.
QImage PaintButton(TGrSpeedButton& b) {
  QImage img(b.Width(), b.Height(), QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  b.Paint(p, QRect(0, 0, b.Width(), b.Height()));
  return img;
}

void SendMove(TControl& c, int x, int y) {
  QMouseEvent e(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(c.Widget(), &e);
}

void SendLeave(TControl& c) {
  QEvent e(QEvent::Leave);
  QApplication::sendEvent(c.Widget(), &e);
}

// A strip of four flat cells of 10 x 5 in distinct colours, with one
// transparent pixel in each cell at (3, 2).
constexpr TColor kCell[4] = {0x112233, 0x445566, 0x778899, 0xAABBCC};
std::unique_ptr<TBitmap> FlatStrip(int cells) {
  auto s = std::make_unique<TBitmap>(10 * cells, 5);
  for (int i = 0; i < cells; ++i) {
    s->Canvas()->Brush.Color = kCell[i];
    s->Canvas()->FillRect(Rect(i * 10, 0, i * 10 + 10, 5));
    s->Canvas()->SetPixel(i * 10 + 3, 2, clRed);
  }
  return s;
}

struct ButtonTest : ::testing::Test {
  TForm form{nullptr};
  TGrSpeedButton* b = new TGrSpeedButton(&form);
  void SetUp() override { b->SetParent(&form); }
};

}  // namespace

TEST_F(ButtonTest, StateIndexFollowsEnabledDownAndHover) {
  EXPECT_EQ(b->TransparentColor(), clRed);
  // The default strip's cell gives the size.
  EXPECT_EQ(b->Width(), 105);
  EXPECT_EQ(b->Height(), 21);
  EXPECT_EQ(b->StateIndex(), 0);
  SendMove(*b, 10, 10);
  EXPECT_TRUE(b->Hover());
  EXPECT_EQ(b->StateIndex(), 3);

  b->SetGroupIndex(1);
  b->SetDown(true);
  EXPECT_EQ(b->StateIndex(), 2);  // down wins over hover

  b->SetEnabled(false);
  EXPECT_EQ(b->StateIndex(), 1);  // disabled wins over both
}

TEST_F(ButtonTest, DisabledButtonNeverLightsUp) {
  b->SetEnabled(false);
  SendMove(*b, 10, 10);
  EXPECT_FALSE(b->Hover());
  EXPECT_EQ(b->StateIndex(), 1);
  b->SetVisible(false);
  b->SetEnabled(true);
  SendMove(*b, 10, 10);
  EXPECT_FALSE(b->Hover());
}

TEST_F(ButtonTest, LeavingTheButtonClearsTheLightAtOnce) {
  SendMove(*b, 50, 10);
  ASSERT_TRUE(b->Hover());
  SendMove(*b, b->Width() + 3, 10);  // off the right edge, still captured
  EXPECT_FALSE(b->Hover());
  EXPECT_EQ(b->StateIndex(), 0);

  SendMove(*b, 50, 10);
  ASSERT_TRUE(b->Hover());
  SendLeave(*b);
  EXPECT_FALSE(b->Hover());
}

TEST_F(ButtonTest, StatesBeyondTheStripShowCellZero) {
  b->SetGlyph(*FlatStrip(2));
  b->SetNumGlyphs(2);
  SendMove(*b, 5, 2);
  EXPECT_EQ(b->StateIndex(), 0);  // hover cell 3 missing
  b->SetGroupIndex(1);
  b->SetDown(true);
  EXPECT_EQ(b->StateIndex(), 0);  // down cell 2 missing
  b->SetEnabled(false);
  EXPECT_EQ(b->StateIndex(), 1);

  b->SetGlyph(*FlatStrip(1));
  b->SetNumGlyphs(1);
  EXPECT_EQ(b->StateIndex(), 0);
}

TEST_F(ButtonTest, PaintsTheStateCellStretchedWithTheFaceShowingThrough) {
  b->SetGlyph(*FlatStrip(4));
  b->SetNumGlyphs(4);
  b->SetBounds(0, 0, 20, 10);  // each cell pixel becomes 2 x 2
  auto expectCell = [&](int cell) {
    const QImage img = PaintButton(*b);
    EXPECT_EQ(PixelOf(img, 0, 0), kCell[cell]) << "cell " << cell;
    EXPECT_EQ(PixelOf(img, 19, 9), kCell[cell]) << "cell " << cell;
    // The transparent pixel (3, 2) covers (6..7, 4..5) and shows the face colour.
    for (int y = 4; y <= 5; ++y)
      for (int x = 6; x <= 7; ++x) EXPECT_EQ(PixelOf(img, x, y), clBtnFace) << "cell " << cell;
    EXPECT_EQ(PixelOf(img, 8, 4), kCell[cell]);
    EXPECT_EQ(PixelOf(img, 5, 4), kCell[cell]);
  };
  expectCell(0);
  SendMove(*b, 5, 5);
  expectCell(3);
  b->SetGroupIndex(2);
  b->SetDown(true);
  expectCell(2);
  b->SetEnabled(false);
  expectCell(1);

  // Another transparent colour: that one shows the face, red stays red.
  b->SetTransparentColor(kCell[1]);
  const QImage img = PaintButton(*b);
  EXPECT_EQ(PixelOf(img, 0, 0), clBtnFace);
  EXPECT_EQ(PixelOf(img, 6, 4), clRed);
}

TEST_F(ButtonTest, CaptionIsCentredAndEmbossedWhenDisabled) {
  b->SetGlyph(*FlatStrip(4));
  b->SetBounds(0, 0, 80, 20);
  b->SetCaption("OK");
  b->Font().Color = 0x0000A0;
  auto countColour = [](const QImage& img, TColor c, int& minX, int& maxX) {
    int n = 0;
    minX = img.width();
    maxX = -1;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (PixelOf(img, x, y) == c) {
          ++n;
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
        }
    return n;
  };
  int lo, hi;
  QImage img = PaintButton(*b);
  EXPECT_GT(countColour(img, 0x0000A0, lo, hi), 0);
  EXPECT_NEAR((lo + hi) / 2.0, 40.0, 3.0);  // centred
  EXPECT_EQ(countColour(img, clGrayText, lo, hi), 0);

  b->SetEnabled(false);
  img = PaintButton(*b);
  EXPECT_EQ(countColour(img, 0x0000A0, lo, hi), 0);
  EXPECT_GT(countColour(img, clGrayText, lo, hi), 0);
  EXPECT_GT(countColour(img, clWhite, lo, hi), 0);
}

TEST(ButtonStrip, FourDistinctFacesWithOnlyTheCornersTransparent) {
  auto strip = MakeButtonStrip(105, 21, kButtonBaseColor);
  ASSERT_EQ(strip->Width(), 420);
  ASSERT_EQ(strip->Height(), 21);
  const QImage& img = strip->Image();
  TColor centre[4];
  for (int c = 0; c < 4; ++c) {
    const int x0 = c * 105;
    EXPECT_EQ(PixelOf(img, x0, 0), clRed);
    EXPECT_EQ(PixelOf(img, x0 + 104, 0), clRed);
    EXPECT_EQ(PixelOf(img, x0, 20), clRed);
    EXPECT_EQ(PixelOf(img, x0 + 104, 20), clRed);
    int transparent = 0;
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 105; ++x)
        if (PixelOf(img, x0 + x, y) == clRed) ++transparent;
    EXPECT_EQ(transparent, 12) << "cell " << c;  // three pixels per corner
    centre[c] = PixelOf(img, x0 + 52, 10);
  }
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) EXPECT_NE(centre[i], centre[j]) << i << " " << j;
  auto brightness = [](TColor c) { return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF); };
  // The down face is darker than the up face, and the hover face lighter than down.
  EXPECT_LT(brightness(centre[2]), brightness(centre[0]));
  EXPECT_GT(brightness(centre[3]), brightness(centre[2]));
  // The disabled face is grey.
  EXPECT_EQ(centre[1] & 0xFF, (centre[1] >> 8) & 0xFF);
  EXPECT_EQ(centre[1] & 0xFF, (centre[1] >> 16) & 0xFF);
}

TEST(ButtonStrip, AFaceOfTheTransparentColourIsNudgedOffIt) {
  auto strip = MakeButtonStrip(20, 10, clRed, clRed);
  const QImage& img = strip->Image();
  int transparent = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (PixelOf(img, x, y) == clRed) ++transparent;
  EXPECT_EQ(transparent, 4 * 12);
}

namespace {

// A symbol with a line and a pen-mode dependent stroke, as the arrow buttons draw.
void CrossSymbol(TCanvas& c, int x0, int w, int h) {
  c.MoveTo(x0 + 3, h / 2);
  c.LineTo(x0 + w - 3, h / 2);
  c.LineInclusive(x0 + w / 2, 3, x0 + w / 2, h - 4);
}

}  // namespace

TEST(LazyButtonFace, TheStripIsMadeOnFirstUseAndEqualsTheStripMadeAtOnce) {
  // Each button is made, laid out and captioned without its strip being
  // drawn; then, whether first painted or first read, it shows exactly what
  // a twin given the strip at once shows, in every state.
  struct Kind {
    const char* name;
    int w, h;
    SymbolPainter symbol;
    bool maker;  // made by ControlMaker, else the bare button with its default strip
  };
  const Kind kinds[] = {
      {"default strip", kButtonCellWidth, kButtonCellHeight, nullptr, false},
      {"plain", 72, 21, nullptr, true},
      {"symbol", 24, 19, CrossSymbol, true},
  };
  const std::pair<const char*, bool> firstUses[] = {{"painted", true}, {"glyph read", false}};
  for (const Kind& kind : kinds) {
    for (const auto& [use, paintFirst] : firstUses) {
      SCOPED_TRACE(std::string(kind.name) + ", " + use);
      TForm form{nullptr};
      ControlMaker make(&form);
      TGrSpeedButton* lazy = kind.maker ? make.Button(&form, "B", "Go", 0, 4, 4, kind.w, kind.h, kind.symbol)
                                        : new TGrSpeedButton(&form);
      EXPECT_FALSE(lazy->Glyph()->Made());
      EXPECT_EQ(lazy->Glyph()->Width(), 4 * kind.w);
      EXPECT_EQ(lazy->Glyph()->Height(), kind.h);
      EXPECT_EQ(lazy->Width(), kind.w);

      const std::unique_ptr<TBitmap> strip = kind.symbol ? MakeSymbolStrip(kind.w, kind.h, kind.symbol)
                                                        : MakeButtonStrip(kind.w, kind.h, kButtonBaseColor);
      auto* twin = new TGrSpeedButton(&form);
      twin->SetGlyph(*strip);
      twin->SetNumGlyphs(4);
      twin->SetBounds(lazy->Left(), lazy->Top(), lazy->Width(), lazy->Height());
      twin->SetCaption(lazy->Caption());

      lazy->SetGroupIndex(1);
      twin->SetGroupIndex(2);
      if (!paintFirst) {
        EXPECT_EQ(lazy->Glyph()->Image(), strip->Image());
      }
      for (int state = 0; state < 4; ++state) {
        for (TGrSpeedButton* b : {lazy, twin}) {
          b->SetAllowAllUp(true);
          b->SetEnabled(state != 1);
          b->SetDown(state == 2);
          if (state == 3) SendMove(*b, 3, 3);
        }
        ASSERT_EQ(lazy->StateIndex(), state);
        EXPECT_EQ(PaintButton(*lazy), PaintButton(*twin)) << "state " << state;
      }
      EXPECT_EQ(lazy->Glyph()->Image(), strip->Image());
    }
  }
}
