// Pictures, clipboard, printing, text exports, the scope data file, help and
// about of the scope window: the work behind its File, Edit and Help items.
#pragma once

#include <cstddef>

#include "engine/spectrum/analysis_controls.h"
#include "engine/files/file_menu_controls.h"
#include "engine/front_panel.h"
#include "engine/scope_states.h"
#include "platform/ui/vcl.h"

class TForm5;
class TGrSpeedButton;

namespace engine::files {

// What the files need of the scope window: the acquisition stopped, the
// picture cycle, and the panel's handlers the data file goes through.
class FilesHost {
 public:
  virtual void StopAndSettle() = 0;
  virtual void WaitOneTimer6Tick() = 0;
  virtual void SingleClick() = 0;
  virtual void poisto() = 0;
  virtual void putsataanko() = 0;
  virtual void piirrot() = 0;
  virtual void rms_out() = 0;
  virtual void measure() = 0;
  virtual void TimeBaseStepClick(std::size_t row) = 0;
  virtual void SpeedButtonRunClick(TObject* Sender) = 0;
  virtual void SpeedButton21Click(TObject* Sender) = 0;
  virtual void SpeedButton22Click(TObject* Sender) = 0;
  virtual void ScrollBar2Change(TObject* Sender) = 0;
  virtual void GrSpeedButton15Click(TObject* Sender) = 0;
  virtual void fft1Click(TObject* Sender) = 0;

 protected:
  ~FilesHost() = default;
};

class FilesController : public engine::WithScopeStates {
 public:
  // `bitView` is the window's bit view button, which may be made later.
  FilesController(const engine::ScopeStates& states, FilesHost& host, FileMenuControls& menu,
                  FrontPanelControls& panel, AnalysisControls& analysis, TGrSpeedButton* const& bitView,
                  TImage& image);

  // Pictures and clipboard on the scope picture.
  void SaveClick(TObject* Sender);
  void OpenClick(TObject* Sender);
  void Copy1Click(TObject* Sender);
  void Paste1Click(TObject* Sender);
  void Edit2Click(TObject* Sender);
  // "Open Image..." and "Paste" onto a scope picture (Image1, or the Big
  // Screen's Image10): the acquisition stopped, the picture drawn at the top
  // left, and kept until the next refresh wipes it.
  void OpenPictureOnto(TImage& image);
  void PastePictureOnto(TImage& image);
  // Printing: the scope's preview shows the Big Screen picture while the
  // Big Screen shows, else Image1's.
  const TBitmap* ScopePrintPicture() const;
  void Print1Click(TObject* Sender);
  void PrintSetup1Click(TObject* Sender);
  // Spectrum table into Memo1, and its export; waveform export; "File" opened.
  void BitBtn1Click(TObject* Sender);
  void SaveDataAs1Click(TObject* Sender);
  void ExportWaveformCH11Click(TObject* Sender);
  void ExportWaveformofCh21Click(TObject* Sender);
  void File1Click(TObject* Sender);
  // Help and about.
  void Help2Click(TObject* Sender);
  void FunctionGenerorHelp1Click(TObject* Sender);
  void InstallingNT4driver1Click(TObject* Sender);
  void About2Click(TObject* Sender);
  void CheckForUpdates1Click(TObject* Sender);
  void SupportForum1Click(TObject* Sender);

  // The scope data file: save the last capture with its settings and
  // annotation, and load one back (through the reader window `reader`).
  void SaveDSOData1Click(TObject* Sender);
  void OpenData1Click(TObject* Sender);
  void LoadScopeDataFile(TForm5& reader);

 private:
  void ExportWaveform(int channel);

  FilesHost& host_;
  FileMenuControls& menu_;
  FrontPanelControls& panel_;
  AnalysisControls& analysis_;
  TGrSpeedButton* const& bit_view_;
  TImage& image_;
};

}  // namespace engine::files
