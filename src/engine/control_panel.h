// The twin control panel of the Big Screen: the main window's front panel
// built by the same code, every control forwarding to the main window's
// handler of the same name. The main window's handlers keep it in step. It
// holds no state of its own; created hidden and never shown by the program.
#pragma once

#include "engine/scope_states.h"

#include "engine/spectrum/analysis_controls.h"
#include "engine/persistence_controls.h"
#include "engine/front_panel.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TForm1;

class TForm11 : public TForm, public engine::WithScopeStates, public FrontPanelControls, public AnalysisControls, public PersistenceControls {
 public:
  TForm11(TComponent* owner, const engine::ScopeStates& states);

  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* Exit = nullptr;               // "E&xit"
  TGrSpeedButton* GrSpeedButton1 = nullptr;  // "Normal Screen"
  TCheckBox* Digi = nullptr;                 // "Logic Analyzer"
  // The twin menu's "Bright Grid", "Markers (DSO) " and "RMS Value", made
  // with their menus (nullptr until then); the math entries are
  // AnalysisControls.
  TMenuItem* BrightGrid1 = nullptr;
  TMenuItem* Markers1 = nullptr;         // "Markers (DSO) "
  TMenuItem* RMSCalculation1 = nullptr;  // "RMS Value"
  // The rest of the twin menu, each item forwarding to the main window's
  // handler of its name.
  TMenuItem* View1 = nullptr;
  TMenuItem* MoreData1 = nullptr;                   // "Waveform Parameters..."
  TMenuItem* MarkersFFT1 = nullptr;
  TMenuItem* MarkersFFTdBf1 = nullptr;
  TMenuItem* MarkersFFTSpectralDensity1 = nullptr;
  TMenuItem* dBmValue1 = nullptr;
  TMenuItem* SampleRate1 = nullptr;
  TMenuItem* DotJoin1 = nullptr;
  TMenuItem* HFReject1 = nullptr;                   // Options, "Trigger Options", "Noise Reject"
  TMenuItem* Hardware1 = nullptr;
  TMenuItem* Colors1 = nullptr;
  TMenuItem* Calibrate1 = nullptr;
  TMenuItem* CalibrateExit1 = nullptr;
  TMenuItem* ExittoMenu1 = nullptr;
  // File, Edit and Help beyond the items above. The picture items act on
  // the Big Screen's picture (Image10) through this panel's own handlers;
  // the others forward to the main window's handler of their name.
  TMenuItem* Open1 = nullptr;                    // "&Open Image..."
  TMenuItem* Save1 = nullptr;                    // "&Save Image..."
  TMenuItem* OpenData1 = nullptr;
  TMenuItem* SaveDSOData1 = nullptr;             // "Save DSO D&ata..."
  TMenuItem* SaveDataAs1 = nullptr;              // "Save FFT &Data..."
  TMenuItem* SaveSettings1 = nullptr;
  TMenuItem* RecallSettings1 = nullptr;
  TMenuItem* SaveRecallLastSettings1 = nullptr;  // checked like the main window's
  TMenuItem* Print1 = nullptr;
  TMenuItem* PrintSetup1 = nullptr;
  TMenuItem* Edit2 = nullptr;
  TMenuItem* Copy1 = nullptr;
  TMenuItem* Paste1 = nullptr;
  TMenuItem* Help1 = nullptr;
  TMenuItem* Help2 = nullptr;                    // "&Contents"
  TMenuItem* InstallingNT4driver1 = nullptr;
  TMenuItem* About2 = nullptr;
  // The instrument buttons; the recorder and the circuit analyzer leave the
  // Big Screen first.
  TGrSpeedButton* SpeedButton25 = nullptr;  // "Function Generator"
  TGrSpeedButton* SpeedButton26 = nullptr;  // "Circuit Analyzer"
  TGrSpeedButton* SpeedButton27 = nullptr;  // "Transient Recorder"

  // Forwards of the front panel. "Copy then forward": the main window's
  // same-named button takes this one's state, then its handler runs.
  void CH1onClick(TObject* Sender);
  void CH2onClick(TObject* Sender);
  void SpeedButtonRunClick(TObject* Sender);
  void SpeedButtonSingleClick(TObject* Sender);
  void SpeedButton_ac1Click(TObject* Sender);
  void SpeedButton_dc1Click(TObject* Sender);
  void SpeedButton_gnd1Click(TObject* Sender);
  void SpeedButton_ac2Click(TObject* Sender);  // the main window's SpeedButton__ac2Click
  void SpeedButton_dc2Click(TObject* Sender);
  void SpeedButton_gnd2Click(TObject* Sender);
  void SpeedButton005usClick(TObject* Sender);
  void x11Click(TObject* Sender);
  void x101Click(TObject* Sender);
  void x12Click(TObject* Sender);
  void x102Click(TObject* Sender);
  void SpeedButton3Click(TObject* Sender);
  void SpeedButton4Click(TObject* Sender);
  void SpeedButton_extClick(TObject* Sender);
  void SpeedButton5Click(TObject* Sender);
  void SpeedButton6Click(TObject* Sender);
  void SpeedButton7Click(TObject* Sender);
  void SpeedButton8Click(TObject* Sender);
  // Track bars: the main window's bar takes the position; its change
  // handler runs when that is a real change, and writes this bar back.
  void TrackBar1Change(TObject* Sender);
  void TrackBar2Change(TObject* Sender);
  void TrackBar3Change(TObject* Sender);
  // "Press then forward" (5 us .. 0.1 us) and plain forwards (the other
  // time/div and span buttons, volts/div, SpeedButton24) are bound directly.
  void SpeedButton24Click(TObject* Sender);
  // "Normal Screen": back to the main window, Big Screen off.
  void GrSpeedButton1Click(TObject* Sender);
  void DigiClick(TObject* /*Sender*/) {}
  void SpeedButton26Click(TObject* Sender);
  void SpeedButton27Click(TObject* Sender);
  void View1Click(TObject* Sender);
  void Calibrate1Click(TObject* Sender);
  void ExittoMenu1Click(TObject* Sender);
  void ExitClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // The Big Screen's picture: saved, opened, copied and pasted like the
  // main window's, with the main window's picture dialogs.
  void OpenClick(TObject* Sender);
  void SaveClick(TObject* Sender);
  void Copy1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  // Menus opened: the items that fit the mode enabled.
  void File1Click(TObject* Sender);
  void Edit2Click(TObject* Sender);

 private:
  void BindForwards();
  // The instrument, math and spectrum controls with their forwards.
  void CreateAnalysisControls();
  // "Persist" and the persistence menu items with their forwards.
  void CreatePersistenceControls();
  // The instrument buttons and the menus beyond File "Exit".
  void CreateMenusAndInstruments();
  // The File, Edit and Help items of pictures, files, printing and help.
  void CreateFileEditHelpMenus();
  // Hides the Big Screen and this panel and shows the main window.
  void LeaveBigScreen();
};

inline TForm11* Form11 = nullptr;

// The twin panel's copy of a front-panel control; nullptr while there is no
// twin panel.
template <class T>
T* TwinControl(PanelControl<T> control) {
  return Form11 ? Form11->*control : nullptr;
}

// Gives the twin panel's copy of `control` the state of the main window's:
// a button's down state, a bar's position.
void MirrorToTwin(const FrontPanelControls& main, PanelControl<TGrSpeedButton> control);
void MirrorToTwin(const FrontPanelControls& main, PanelControl<TTrackBar> control);

// The buttons of one channel (1 or 2) on `panel` show the scope's settings:
// the range (while its code has a button), the coupling, the probe and
// whether the trace is shown.
void ShowChannelSettings(FrontPanelControls* panel, const engine::ScopeSettings& settings, int channel);


// A main-window handler, as the twin panel's items run it.
using MainHandler = void (TForm1::*)(TObject*);
// Runs the main window's handler on the main window, if there is one.
void ForwardToMain(MainHandler handler);

// The twin panel's copy of a menu item takes the main item's check.
void MirrorCheck(const TMenuItem* item, TMenuItem* TForm11::*twin);
