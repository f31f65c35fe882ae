// Pictures on the screen, mouse events on them, and application shortcuts.
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"

namespace {
void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton b = Qt::LeftButton,
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(type, p, w->mapToGlobal(p), b, type == QEvent::MouseButtonRelease ? Qt::NoButton : b, mods);
  QApplication::sendEvent(w, &e);
}

// Counts the events of one type a widget receives while it lives.
class EventCounter : public QObject {
 public:
  EventCounter(QWidget* w, QEvent::Type type, int& count) : w_(w), type_(type), count_(count) {
    w_->installEventFilter(this);
  }
  ~EventCounter() override { w_->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == type_) ++count_;
    return false;
  }

 private:
  QWidget* w_;
  QEvent::Type type_;
  int& count_;
};
}  // namespace

TEST(Image, PictureFollowsTheControlSizeAndKeepsItsPixels) {
  TForm form(nullptr);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(0, 0, 700, 298);
  EXPECT_EQ(image->Picture()->Width(), 700);
  EXPECT_EQ(image->Picture()->Height(), 298);
  image->Canvas()->SetPixel(3, 4, clRed);
  image->SetBounds(0, 0, 1000, 560);
  EXPECT_EQ(image->Picture()->Width(), 1000);
  EXPECT_EQ(image->Canvas()->Pixels(3, 4), clRed);
  EXPECT_EQ(image->Canvas()->Pixels(900, 500), clWhite);
}

TEST(Image, ShowsWhatWasDrawn) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(10, 10, 50, 40);
  image->Canvas()->Brush.Color = 0xDC0000;  // blue
  image->Canvas()->FillRect(Rect(0, 0, 50, 40));
  image->Repaint();
  const QImage shot = image->Widget()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(25, 20), QColor(0, 0, 0xDC));
}

TEST(Image, AHiddenWindowsPictureGivesItsPixelsBackAndShowsTheSameAgain) {
  program_clock::DrivenClock clock;
  TForm form(nullptr);
  form.SetBounds(100, 100, 340, 160);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(10, 10, 300, 120);
  TCanvas* c = image->Canvas();
  c->Brush.Color = clYellow;
  c->FillRect(Rect(0, 0, 300, 120));
  c->Pen.Color = clNavy;
  for (int x = 0; x < 300; x += 50) c->LineInclusive(x, 0, x, 119);
  const QImage drawn = image->Picture()->Image();
  const qint64 key = image->Picture()->Image().cacheKey();
  form.Show();
  QApplication::processEvents();
  form.Hide();
  clock.Advance(std::chrono::milliseconds(2300));
  form.Show();
  clock.Advance(std::chrono::milliseconds(50));
  // Made anew from what it kept, pixel for pixel, and on the screen as drawn.
  EXPECT_NE(image->Picture()->Image().cacheKey(), key);
  EXPECT_EQ(image->Picture()->Image(), drawn);
  EXPECT_EQ(image->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32), drawn);
  c->SetPixel(5, 5, clRed);
  EXPECT_EQ(image->Canvas()->Pixels(5, 5), clRed);
}

TEST(Image, APictureCoveredByAnotherWindowIsShownAgainUpToDate) {
  // What the window system has of a window: its copy on the screen.
  const auto onScreen = [](TForm& f, int x, int y) {
    QApplication::processEvents();
    return QApplication::primaryScreen()->grabWindow(f.Widget()->winId()).toImage().pixelColor(x, y);
  };
  TForm below(nullptr), above(nullptr);
  below.SetBounds(100, 100, 200, 100);
  auto* image = new TImage(&below);
  image->SetParent(&below);
  image->SetBounds(10, 10, 50, 40);
  const auto paint = [image](TColor c) {
    image->Canvas()->Brush.Color = c;
    image->Canvas()->FillRect(Rect(0, 0, 50, 40));
    image->Invalidate();
  };
  below.Show();
  paint(0x0000DC);
  EXPECT_EQ(onScreen(below, 20, 20), QColor(0xDC, 0, 0));

  // A window in front covers it whole: the picture changes unseen, and its
  // window is not even brought up to date...
  above.SetBounds(50, 50, 400, 300);
  above.Show();
  QApplication::processEvents();
  int updates = 0;
  EventCounter counter(below.Widget(), QEvent::UpdateRequest, updates);
  for (int i = 0; i < 3; ++i) paint(0xDC0000);
  EXPECT_EQ(onScreen(below, 20, 20), QColor(0xDC, 0, 0)) << "a covered picture is not copied to the screen";
  EXPECT_EQ(updates, 0);
  // ...and shows as it is now once uncovered: moved aside, raised, or hidden.
  above.SetBounds(500, 50, 400, 300);
  EXPECT_EQ(onScreen(below, 20, 20), QColor(0, 0, 0xDC));
  above.SetBounds(50, 50, 400, 300);
  paint(0x00DC00);
  below.Widget()->raise();
  EXPECT_EQ(onScreen(below, 20, 20), QColor(0, 0xDC, 0));
  above.Widget()->raise();
  paint(0x0000DC);
  above.Hide();
  EXPECT_EQ(onScreen(below, 20, 20), QColor(0xDC, 0, 0));
  // Partly covered pictures are painted at once.
  above.SetBounds(50, 50, 100, 300);
  above.Show();
  paint(0xDC0000);
  EXPECT_EQ(onScreen(below, 20, 20), QColor(0, 0, 0xDC));
}

TEST(Image, EveryKindOfDrawingReachesTheScreenWhole) {
  // The window repaints only where the picture changed: after each drawing
  // below, what the window system has must be the picture, pixel for pixel.
  TForm form(nullptr);
  form.SetBounds(100, 100, 400, 300);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(20, 10, 320, 240);
  TCanvas* c = image->Canvas();
  TBitmap stamp(30, 20);
  stamp.Canvas()->Brush.Color = clTeal;
  stamp.Canvas()->FillRect(Rect(0, 0, 30, 20));
  stamp.Canvas()->SetPixel(2, 3, clRed);
  const auto pen = [c](TColor color, int width, TPenMode mode) {
    c->Pen.Color = color;
    c->Pen.Width = width;
    c->Pen.Mode = mode;
  };
  const std::vector<std::pair<const char*, std::function<void()>>> drawings = {
      {"trace", [&] {
         std::vector<TPoint> pts;
         for (int x = 5; x < 315; ++x) pts.push_back(Point(x, 120 + static_cast<int>(100 * std::sin(x * 0.05))));
         pts.insert(pts.end(), {Point(318, 231), Point(160, 239), Point(0, 120)});
         pen(clBlue, 1, pmNotXor);
         c->Polyline(pts);
       }},
      {"wide lines past the edges", [&] {
         pen(clMaroon, 5, pmCopy);
         c->MoveTo(-40, 30);
         c->LineTo(200, 2);
         c->LineInclusive(318, 60, 318, 300);
       }},
      {"shapes", [&] {
         pen(clGreen, 3, pmCopy);
         c->Brush.Color = clYellow;
         c->Rectangle(10, 150, 60, 200);
         c->Ellipse(250, 5, 300, 45);
         c->Brush.Color = clFuchsia;
         c->FillRect(Rect(100, 200, 140, 230));
         c->FrameRect(Rect(150, 200, 190, 239));
       }},
      {"flood fill", [&] {
         c->Brush.Color = clAqua;
         c->FloodFill(30, 170, clYellow, fsSurface);
       }},
      {"scattered pixels", [&] {
         for (int i = 0; i < 12; ++i) c->SetPixel(7 + 26 * i, 3 + 19 * i, clRed);
       }},
      {"text", [&] {
         c->Font.Size = 20;
         c->Font.Style = fsBold | fsItalic | fsUnderline;
         c->Font.Color = clNavy;
         c->Brush.Style = bsClear;
         c->TextOut(200, 180, "Wfy");
         c->Brush.Style = bsSolid;
       }},
      {"bitmap copies", [&] {
         c->Draw(290, 220, stamp);
         c->StretchDraw(Rect(60, 60, 10, 90), stamp);
         c->CopyRect(Rect(0, 0, 40, 40), *c, Rect(280, 200, 320, 240));
       }},
      {"a trace erased and another drawn before the window paints", [&] {
         // As the running program does: erase, show, draw, show, then one paint.
         std::vector<TPoint> pts;
         for (int x = 5; x < 315; ++x) pts.push_back(Point(x, 120 + static_cast<int>(100 * std::sin(x * 0.05))));
         pen(clBlue, 1, pmNotXor);
         c->Polyline(pts);
         image->Invalidate();
         for (TPoint& p : pts) p.y = 240 - p.y / 2;
         pen(clRed, 1, pmNotXor);
         c->Polyline(pts);
         image->Invalidate();
         c->SetPixel(150, 150, clLime);
       }},
      {"a fill over pixels nearly all of its colour already", [&] {
         c->Brush.Color = clGray;
         c->FillRect(Rect(0, 0, 320, 240));
         image->Invalidate();
         QApplication::processEvents();
         // Two far corners differ from the fill; all else is its colour.
         c->SetPixel(3, 5, clRed);
         c->SetPixel(316, 236, clRed);
         image->Invalidate();
         QApplication::processEvents();
         c->FillRect(Rect(0, 0, 320, 240));
       }},
      {"pixels written into the picture", [&] { image->Picture()->Image().setPixel(311, 7, 0xFF123456); }},
      {"pixels written through the canvas", [&] { c->Target()->setPixel(1, 238, 0xFF654321); }},
      {"picture replaced", [&] {
         TBitmap other(320, 240);
         other.Canvas()->Brush.Color = clOlive;
         other.Canvas()->FillRect(Rect(100, 100, 120, 120));
         image->Picture()->Assign(other);
       }},
  };
  c->Brush.Color = clSilver;
  c->FillRect(Rect(0, 0, 320, 240));
  image->Invalidate();
  form.Show();
  QApplication::processEvents();
  for (const auto& [name, draw] : drawings) {
    draw();
    image->Invalidate();
    QApplication::processEvents();
    const QImage screen = QApplication::primaryScreen()->grabWindow(form.Widget()->winId()).toImage();
    EXPECT_TRUE(screen.copy(20, 10, 320, 240).convertToFormat(QImage::Format_RGB32) ==
                std::as_const(*image->Picture()).Image())
        << name;
  }
}

TEST(Image, MouseEventsInPictureCoordinatesAndClickOnRelease) {
  TForm form(nullptr);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(0, 0, 100, 50);
  std::vector<std::string> seen;
  image->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    seen.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                   ((s & ssShift) ? " shift" : ""));
  };
  image->OnMouseMove = [&](TObject*, TShiftState s, int x, int y) {
    seen.push_back("move " + std::to_string(x) + "," + std::to_string(y) + ((s & ssLeft) ? " left" : ""));
  };
  image->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    seen.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  };
  image->OnClick = [&](TObject*) { seen.push_back("click"); };
  image->OnDblClick = [&](TObject*) { seen.push_back("dblclick"); };
  QWidget* w = image->Widget();
  Mouse(w, QEvent::MouseButtonPress, QPoint(10, 20), Qt::LeftButton, Qt::ShiftModifier);
  Mouse(w, QEvent::MouseMove, QPoint(12, 22));
  Mouse(w, QEvent::MouseButtonRelease, QPoint(12, 22));
  Mouse(w, QEvent::MouseButtonPress, QPoint(5, 5), Qt::RightButton);
  Mouse(w, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::RightButton);
  Mouse(w, QEvent::MouseButtonDblClick, QPoint(7, 7));
  Mouse(w, QEvent::MouseButtonRelease, QPoint(7, 7));
  // Stretched, the events come in the picture's own pixels.
  image->SetStretch(true);
  image->Picture()->SetSize(200, 100);
  Mouse(w, QEvent::MouseButtonPress, QPoint(50, 25));
  EXPECT_EQ(seen, (std::vector<std::string>{"down 0 10,20 shift", "move 12,22 left", "click", "up 12,22",
                                            "down 1 5,5", "up 5,5", "dblclick", "down 0 7,7", "up 7,7",
                                            "down 0 100,50"}));
}

TEST(Image, ParentSeesNoClickOfItsChild) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* label = new TLabel(&form);
  label->SetParent(panel);
  label->SetCaption("Image5");
  int panelClicks = 0, labelClicks = 0;
  panel->OnClick = [&](TObject*) { ++panelClicks; };
  label->OnClick = [&](TObject*) { ++labelClicks; };
  Mouse(label->Widget(), QEvent::MouseButtonPress, QPoint(1, 1));
  Mouse(label->Widget(), QEvent::MouseButtonRelease, QPoint(1, 1));
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(panelClicks, 0);
}

TEST(PopupMenu, RightClickFindsTheNearestMenuUpTheParents) {
  TForm form(nullptr);
  auto* popup = new TPopupMenu(&form);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetPopupMenu(popup);
  auto* bar = new TScrollBar(&form);
  bar->SetParent(panel);
  int popups = 0;
  popup->OnPopup = [&](TObject*) { ++popups; };
  QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(3, 3), bar->Widget()->mapToGlobal(QPoint(3, 3)));
  QApplication::sendEvent(bar->Widget(), &e);
  EXPECT_EQ(popups, 1);
  popup->Menu()->hide();
}

TEST(AppShortcut, AltBRunsFromAnyWindowUntilUnregistered) {
  TForm a(nullptr), b(nullptr);
  auto* edit = new TEdit(&b);
  edit->SetParent(&b);
  int toggles = 0;
  ASSERT_TRUE(RegisterAppShortcut(99, "Alt+B", [&] { ++toggles; }));
  EXPECT_FALSE(RegisterAppShortcut(99, "Alt+C", [] {}));   // id taken
  EXPECT_FALSE(RegisterAppShortcut(100, "alt+b", [] {}));  // keys taken
  EXPECT_FALSE(RegisterAppShortcut(101, "not a key", [] {}));
  std::string typed;
  edit->OnKeyDown = [&](TObject*, unsigned short&, TShiftState) { typed += "k"; };

  QKeyEvent altB(QEvent::KeyPress, Qt::Key_B, Qt::AltModifier, "b");
  QApplication::sendEvent(a.Widget(), &altB);
  QApplication::sendEvent(edit->Widget(), &altB);
  QKeyEvent plainB(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
  QApplication::sendEvent(edit->Widget(), &plainB);
  EXPECT_EQ(toggles, 2);
  EXPECT_EQ(typed, "k");  // the shortcut never reached the edit

  EXPECT_TRUE(UnregisterAppShortcut(99));
  EXPECT_FALSE(UnregisterAppShortcut(99));
  QApplication::sendEvent(a.Widget(), &altB);
  EXPECT_EQ(toggles, 2);
}
