// The generator's "Fine Tune" window (amplitude and square-wave offset trims).
// The scope engine's capture unpacking and calibration are methods of this
// class too, with their sources in engine/.
#pragma once

#include <cstdint>

#include "platform/ui/forms.h"

class TForm8 : public TForm {
 public:
  explicit TForm8(TComponent* owner) : TForm(owner) {
    SetCaption("Fine Tune");
  }

  // ---- Start-up, shutdown and settings file
  // Run and Single up, both stop flags set (the close stops the acquisition so).
  void Power_on_off();
  // ======== Automatic calibration (calibration work) ========
  // Calibrates both channels through the device (nothing in demo mode or
  // while the link is closed). CalibrationCompleted tells whether the last
  // run measured every step; a run cut short (a lost or silent device, a
  // close request) does not, and leaves the previous record in force.
  void calibrate();
  bool CalibrationCompleted = false;

  // ---- Device link and commands
  // Re-arms a capture: stop and reset (9), then arm (11).
  void Resetoi_500();

  // ======== Capture unpacking (acquisition work) ========
  // Unpacks the capture in UsbRxBuffer into the sample block and its side
  // stores; nothing in demo mode or while a loaded file is replayed.
  void LueData_500();
  // Slow calibration read: 32 sample pairs into entries 0..31 of both
  // channels; returns (255 - mean CH2) * 256 + (255 - mean CH1). When the
  // link closes, the program ends or is asked to close, or no whole reply
  // came within kDeviceAnswerLimitMs, nothing is stored, 0 is returned and
  // ReadBytesComplete is false.
  std::uint16_t ReadBytes();
  bool ReadBytesComplete = false;
  // Spectrum helpers the Run loop applies after each transform.
  void average_fft();
  void maximize_fft();
  void refresh_fft();
};

inline TForm8* Form8 = nullptr;
