// The oscilloscope engine's part of TForm8: capture unpacking, the slow
// calibration read, the calibration itself and the spectrum helpers. The
// window of the class, "Fine Tune", belongs to the generator
// (generator/fine_tune.h); these methods use none of it.
#pragma once

#include <cstdint>

class TForm8Engine {
 public:
  // Run and Single up, both stop flags set (the close stops the acquisition so).
  void Power_on_off();

  // Calibrates both channels through the device (nothing in demo mode or
  // while the link is closed). CalibrationCompleted tells whether the last
  // run measured every step; a run cut short (a lost or silent device, a
  // close request) does not, and leaves the previous record in force.
  void calibrate();
  bool CalibrationCompleted = false;

  // Re-arms a capture: stop and reset (9), then arm (11).
  void Resetoi_500();

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
