// The generator engine window: it holds the generator's timers and turns the
// panel state into the output table and the device packets. It is never
// shown; the visible generator controls sit on the scope and recorder
// windows (GeneratorPanel) and forward their events here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/ini/ini_file.h"
#include "platform/ui/vcl.h"

class GeneratorPanel;

namespace generator {
struct GeneratorSharedState;

// Where library files are looked for: the user's own "lib" in the data
// folder first, then the "lib" installed with the program.
std::vector<std::string> LibraryFolders(const std::string& dataFolder, const std::string& programFolder);
}  // namespace generator

namespace device {
class ScopeDevice;
}
namespace engine {
struct ScopeSharedState;
}

class TForm1_fgen : public TForm {
 public:
  // The window drives `device` and works on the generator state `state` as long as it lives;
  // it reads the folders and the demo mode from the `scope`'s state.
  TForm1_fgen(TComponent* owner, device::ScopeDevice& device, generator::GeneratorSharedState& state,
              const engine::ScopeSharedState& scope);
  device::ScopeDevice& Device() const { return *device_; }

  generator::GeneratorSharedState& GeneratorState;
  const engine::ScopeSharedState& ScopeState;

  void FormCreate(TObject* Sender);
  // Writes the generator settings file and closes the generator's windows;
  // the wave editor may refuse (WaveEditorCanClose 0), and is asked before
  // anything else, so that its refusal changes nothing.
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Asks the wave editor whether it may close (about unsaved text); when it
  // refuses it stays, shown, with its text.
  bool WaveEditorMayClose();

  // "FGen48.ini" in the data folder, open from creation to close.
  std::unique_ptr<TIniFile> GeneratorIni;
  void ReadGeneratorSettings();
  // False when the file could not be written (reported to the user).
  bool WriteGeneratorSettings();

  // ---- Library waveforms into BaseTable
  TOpenDialog* OpenDialog2 = nullptr;
  // Asks for a file; true when one was chosen.
  bool file1_count();
  // Loads SequenceLibFile from the library folders; true when it filled the table.
  bool file3_count();

  // Timer8 (1000 ms): the debounced apply. Timer7 (700 ms, one shot): the
  // settle wait after each change during a Bode sweep.
  TTimer* Timer8 = nullptr;
  TTimer* Timer7 = nullptr;
  std::uint8_t Timer7Fired = 0;
  void Timer7Timer(TObject* Sender);

  // ---- One-period base tables (generator_state.h)
  void sine_count();
  void skew_count();
  void dcp_count();
  void dcn_count();
  void sinxx_count();
  void noise_count();
  void sweep_count();

  // ---- Output table, previews and hand-over to the send sequences
  // Recomputes the output table and the previews and sends; SendBusy is 0
  // again when it returns (callers still pump until it is).
  void laske();
  // laske, then pumps the message queue until the send sequence ended.
  void SendOutputAndWait();
  // The generator's help file in the desktop's help viewer.
  void Contents1Click(TObject* Sender);
  // The hardware dialog, with the stored speed checked.
  void HardwareSetup1Click(TObject* Sender);
  // The wave editor's preview table from the editor table.
  void laske_1();
  // The preview on the scope window's generator panel, and on the others.
  void Curve();
  void curve_rec();

  // ---- Packets and send sequences; each sends only with a device open,
  // outside demo mode and with GeneratorHardware > 0, and ends with SendBusy 0.
  void asetus();   // compose the setting bytes and the filter; with the output on, timer66
  void timer66();  // settings, apply
  void timer77();  // wave block and settings (order by the attenuator change), frequency, apply
  void timer99();  // range byte 0, then timer66
  void Disable();  // output off now
  void Send_5Click(TObject* Sender);   // wave command and wave block
  void Button1Click(TObject* Sender);  // settings packet (silent wave block first with the output off)
  void Button2Click(TObject* Sender);  // frequency packet
  void Button3Click(TObject* Sender);  // apply

  // ---- Panel logic
  // Applies the whole panel state now (the sender is ignored).
  void Timer8Timer(TObject* Sender);
  // Frequency in the current range's unit, offset in V, amplitude in Vpp;
  // stores them without applying.
  void set_fg(double frequency, double offsetVolts, double amplitudeVpp);
  // Puts both frequency sliders where the frequency stands and keeps the
  // frequency itself, not the sliders' grid value.
  void HoldFrequencyOnSliders();
  // Range handlers, top range ("500k") to "0.05Hz".
  void SpeedButton2Click(TObject* Sender);
  void SpeedButton3Click(TObject* Sender);
  void SpeedButton4Click(TObject* Sender);
  void SpeedButton9Click(TObject* Sender);
  void SpeedButton5Click(TObject* Sender);
  void SpeedButton6Click(TObject* Sender);
  void SpeedButton7Click(TObject* Sender);
  void SpeedButton8Click(TObject* Sender);
  // The handler of FrequencyRanges[index].
  void RangeClick(std::size_t index);
  // Shapes: sine, square, triangle, More Functions.
  void SpeedButton10Click(TObject* Sender);
  void SpeedButton11Click(TObject* Sender);
  void SpeedButton12Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  // Reads the sweep entries and starts the sweep.
  void read_edit34();
  // Sliders: frequency, offset, amplitude, duty.
  void TrackBar1Change(TObject* Sender);
  void TrackBar2Change(TObject* Sender);
  void TrackBar3Change(TObject* Sender);
  void TrackBar4Change(TObject* Sender);
  // Entries: act on Enter. The sender is the entry (or the panel it sits on);
  // the text is read from that panel.
  void Edit1KeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);  // frequency
  void Edit5KeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);  // offset
  void Edit6KeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);  // amplitude
  void Edit8KeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);  // VRMS
  void Edit3KeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);  // sweep start
  void Edit4KeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);  // sweep stop
  void Edit9KeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);  // sweep time
  // Read-out clicks open the entries on the panel that was clicked.
  void Image5Click(TObject* Sender);
  void Image7Click(TObject* Sender);
  void Image8Click(TObject* Sender);
  void Image1Click(TObject* Sender);

  // ---- Read-outs, on every panel
  void ShowFrequencyReadout();
  void ShowOffsetReadout();
  void ShowAmplitudeReadout();
  void ShowVrmsReadout();

 private:
  void RestartApplyTimer();
  // Pumps the message queue until SendBusy is 0.
  void WaitWhileSending();
  void WriteOut(const std::uint8_t* bytes, std::size_t length, std::uint32_t timeoutMs);
  bool MaySend() const;
  // The panel that raised an event: the one holding `sender`, else the first
  // whose window is visible, else the first.
  GeneratorPanel* PanelOf(TObject* sender) const;
  GeneratorPanel* ScopePanel() const;
  void ShapeButtonClick(std::int32_t shape);
  void SetFrequencySliders(int position);
  // Hides every entry and shows the frequency read-out again.
  void CloseEntries();
  void AmplitudeEntered(double amplitude);
  void ComposeSettings();
  // Reads a library file into BaseTable, names it in the caption and warns
  // once about values that did not convert. False, with table and caption as
  // they were, when it could not be read or holds no waveform; the user is
  // told why when tellWhy is set (a name another program gave is not).
  bool LoadLibraryFile(const std::string& path, bool tellWhy);
  bool LibraryDialogUsed_ = false;

  std::mt19937 noise_random_;
  // Set while the window is being created: the other windows may not exist
  // yet, so nothing pumps the message queue then.
  bool creating_ = false;

 private:
  device::ScopeDevice* device_;
};

inline TForm1_fgen* Form1_fgen = nullptr;
