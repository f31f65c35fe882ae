// Track and scroll bars: OnChange exactly on real position changes, positions
// clamped into the range, and the user's moves arriving the same way.
#include <QAbstractSlider>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"

namespace {
template <class Bar>
struct Watched {
  TForm form{nullptr};
  Bar* bar = new Bar(&form);
  std::vector<int> changes;
  Watched() {
    bar->SetParent(&form);
    bar->OnChange = [this](TObject* s) { changes.push_back(static_cast<Bar*>(s)->Position()); };
  }
};
}  // namespace

template <class Bar>
class RangeBars : public ::testing::Test {};
using BarTypes = ::testing::Types<TTrackBar, TScrollBar>;
TYPED_TEST_SUITE(RangeBars, BarTypes);

TYPED_TEST(RangeBars, OnChangeOnlyWhenThePositionReallyChanges) {
  Watched<TypeParam> w;
  w.bar->SetMax(90);
  w.bar->SetPosition(40);
  w.bar->SetPosition(40);
  w.bar->SetPosition(200);  // clamped to 90
  w.bar->SetPosition(95);   // clamped to 90 again: no change
  w.bar->SetPosition(-5);
  EXPECT_EQ(w.changes, (std::vector<int>{40, 90, 0}));
}

TYPED_TEST(RangeBars, NarrowingTheRangeMovesThePosition) {
  Watched<TypeParam> w;
  w.bar->SetMax(100);
  w.bar->SetPosition(80);
  w.changes.clear();
  w.bar->SetMax(50);
  EXPECT_EQ(w.bar->Position(), 50);
  w.bar->SetMin(60);  // above Max: Max follows
  EXPECT_EQ(w.bar->Min(), 60);
  EXPECT_EQ(w.bar->Max(), 60);
  EXPECT_EQ(w.bar->Position(), 60);
  w.bar->SetMax(70);  // position inside: nothing
  EXPECT_EQ(w.changes, (std::vector<int>{50, 60}));
}

TYPED_TEST(RangeBars, SetParamsChangesOnceAndKeepsMinBelowMax) {
  Watched<TypeParam> w;
  w.bar->SetParams(5, 10, 20);
  EXPECT_EQ(w.bar->Position(), 10);
  EXPECT_EQ(w.changes, (std::vector<int>{10}));
  w.bar->SetParams(15, 30, 25);
  EXPECT_EQ(w.bar->Min(), 30);
  EXPECT_EQ(w.bar->Max(), 30);
  EXPECT_EQ(w.bar->Position(), 30);
}

TYPED_TEST(RangeBars, UserMoveRunsOnChangeAndWidgetFollowsCode) {
  Watched<TypeParam> w;
  w.bar->SetMax(50);
  auto* slider = static_cast<QAbstractSlider*>(w.bar->Widget());
  slider->setValue(33);  // what a drag or key does
  EXPECT_EQ(w.bar->Position(), 33);
  EXPECT_EQ(w.changes, (std::vector<int>{33}));
  w.bar->SetPosition(12);
  EXPECT_EQ(slider->value(), 12);
  EXPECT_EQ(slider->maximum(), 50);
}

TEST(TrackBar, HandlerThatMirrorsToATwinDoesNotLoop) {
  // The scope's slider mirrors to the recorder's twin, whose handler calls
  // back: unchanged positions must end the ping-pong.
  TForm form(nullptr);
  auto* a = new TTrackBar(&form);
  auto* b = new TTrackBar(&form);
  a->SetMax(90);
  b->SetMax(90);
  int runs = 0;
  a->OnChange = [&](TObject*) {
    ++runs;
    b->SetPosition(a->Position());
  };
  b->OnChange = [&](TObject*) {
    ++runs;
    a->SetPosition(b->Position());
  };
  a->SetPosition(45);
  EXPECT_EQ(b->Position(), 45);
  EXPECT_EQ(runs, 2);
}

TEST(ProgressBar, PositionStaysInRangeAndStepWraps) {
  TForm form(nullptr);
  auto* p = new TProgressBar(&form);
  p->SetMax(14);
  p->SetStep(1);
  p->SetPosition(20);
  EXPECT_EQ(p->Position(), 14);
  p->StepIt();
  EXPECT_EQ(p->Position(), 0);
}
