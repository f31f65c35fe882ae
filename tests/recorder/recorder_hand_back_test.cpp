// The scope's own settings survive a visit of the recorder, even when the
// scope's handlers run while the recorder holds the device (a recorder data
// file sets the scope's probes).
#include "engine/main_form.h"
#include "recorder_fixture.h"

using namespace recorder_test;

namespace {

struct ProbeDuringVisit {
  const char* name;
  int channel;
  void (TForm1::*scopeRange)(TObject*);  // the scope's range before the visit
  std::size_t recorderRow;               // the recorder's range while it holds the device
  std::uint8_t scopeGainBits;
  std::uint8_t recorderGainBits;
  const char* scopeButton;  // pressed on the scope's panel after the hand back
  const char* scopeLabel;   // the scope's label with the x10 probe
};

const ProbeDuringVisit kVisits[] = {
    {"CH1 0.1 V, recorder 10 mV", 1, &TForm1::SpeedButton1p5v1Click, 5, 0x24, 0x22, "SpeedButton1p5v1", "1V "},
    {"CH2 3 V, recorder 0.1 V", 2, &TForm1::SpeedButton29Click, 3, 0x08, 0x24, "SpeedButton29", "30V "},
};

using RecorderHandBack = RecorderWireTest;

TEST_F(RecorderHandBack, AProbeSetWhileTheRecorderHoldsTheDeviceLeavesBothRangesWhereTheirPanelsHaveThem) {
  engine::ScopeState.ProbeWarningMuted = 1;
  for (const ProbeDuringVisit& v : kVisits) {
    SCOPED_TRACE(v.name);
    (Form1->*v.scopeRange)(Form1);
    Form1->SpeedButton27Click(Form1);
    (v.channel == 1 ? Rec().Ch1RangeButtons : Rec().Ch2RangeButtons)[v.recorderRow]->Click();
    TSpeedButton* x10 = v.channel == 1 ? Form1->x101 : Form1->x102;
    x10->SetDown(true);
    (Form1->*(v.channel == 1 ? &TForm1::x101Click : &TForm1::x102Click))(Form1);
    EXPECT_EQ(Device().LastSettings()->GainBits(v.channel), v.recorderGainBits) << "the device records at the recorder's range";

    Rec().SpeedButton5Click(&Rec());
    EXPECT_EQ(Device().LastSettings()->GainBits(v.channel), v.scopeGainBits);
    EXPECT_TRUE(Form1->FindComponentAs<TSpeedButton>(v.scopeButton)->Down());
    EXPECT_EQ(v.channel == 1 ? engine::ScopeState.Ch1RangeText : engine::ScopeState.Ch2RangeText, v.scopeLabel);

    TSpeedButton* x1 = v.channel == 1 ? Form1->x11 : Form1->x12;
    x1->SetDown(true);
    (Form1->*(v.channel == 1 ? &TForm1::x11Click : &TForm1::x12Click))(Form1);
  }
}

}  // namespace
