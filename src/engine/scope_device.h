// The instrument as the program sees it: the USB link with its handles and
// buffers, the logic upload, the capture-control commands, the capture cycle,
// the unpacking of a capture into the sample block and the calibration. One
// instance, reached through TheDevice(); the windows use it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/scope_state.h"
#include "platform/usb/mpusb_api.h"

namespace engine {

class ScopeDevice {
 public:
  using MpusbHandle = MpusbApi::MpusbHandle;
  // The logic configuration stream: FF FF FF, the bit-reversed data, 00 00.
  static constexpr std::size_t kUploadBytes = 54912;

  // ---- Link state. Every sender and reader returns at once while DeviceOpen is clear.
  std::uint8_t DeviceOpen = 0;           // the USB link is open
  std::uint8_t WinUsbInUse = 0;          // 1: the fallback back end carries the link
  std::uint8_t NoHardware = 0;           // the last open found no usable device
  std::int32_t UsbOutHandle = -1;        // write pipe of the primary back end; -1 closed
  std::int32_t UsbInHandle = -1;         // read pipe of the primary back end; -1 closed
  std::int32_t WinUsbInterface = 0;      // interface handle of the fallback back end; 0 none

  // Shared by every reader: status bytes, capture blocks, 64-byte replies.
  std::array<std::uint8_t, kUsbRxBufferSize> UsbRxBuffer{};
  std::uint32_t UsbSentCount = 0;
  std::uint32_t UsbReadCount = 0;

  // Arguments of the last capture-control command (Reset_500).
  std::uint8_t AcqState = 0;
  std::uint8_t AcqArmed = 0;

  std::array<std::uint8_t, kUploadBytes> UploadBuffer{};

  // ---- Link
  // Transfers; both return at once while the link is closed. A transfer that
  // finds the device gone closes the link and says so once.
  void MPUSBWrite(MpusbHandle handle, const std::uint8_t* buf, std::uint32_t len, std::uint32_t* sent,
                  std::uint32_t timeout);
  void MPUSBRead(MpusbHandle handle, std::uint8_t* buf, std::uint32_t len, std::uint32_t* got,
                 std::uint32_t timeout);
  // One command byte on the OUT endpoint (10 ms).
  void SendDeviceCommand(std::uint8_t command);
  int OpenDeviceH();  // primary back end: 0, or -1 when a pipe does not open
  int OpenDeviceW();  // fallback back end: 0, or -1
  void CheckInvalidHandle();
  // Releases the back end without a word to the device.
  void ReleaseBackEnd();
  // Closes the link after the device was found gone and tells the user.
  void DeviceLost();
  // Command 20, then the back end is released; nothing happens when closed.
  void ReleaseDevice();

  // ---- Logic upload. SendFPGAdata returns 0 when the stream went out whole,
  // -1 when the logic file could not be used (nothing is sent then) or the
  // device did not take all of it.
  int SendFPGAdata();
  // Reads the logic file into UploadBuffer; false when it cannot be used.
  bool LoadLogicFile(std::string* failedPath);

  // ---- Commands
  // Capture control: (0,0) stop and reset 9, (1,0) 10, (1,1) arm 11, (2,0) 12,
  // (3,0) 13; nothing in demo mode.
  void Reset_500(std::uint8_t state, std::uint8_t armed);
  // Re-arms a capture: stop and reset (9), then arm (11).
  void Resetoi_500();
  // Run and Single up, both stop flags set (the close stops the acquisition so).
  void Power_on_off();

  // ---- Capture cycle
  // One step of a capture loop: a status poll while armed, then the capture
  // read once it is ready. True when a whole capture arrived.
  bool DeviceCaptureStep(std::uint32_t pollBytes, std::uint32_t blockTimeoutMs);
  // Reads the 8 blocks of a capture; true only when all 8192 bytes arrived.
  bool ReadCaptureBlocks(std::uint32_t timeoutMs);

  // ---- Unpacking
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

  // ---- Calibration
  // Calibrates both channels through the device (nothing in demo mode or
  // while the link is closed). CalibrationCompleted tells whether the last
  // run measured every step; a run cut short (a lost or silent device, a
  // close request) does not, and leaves the previous record in force.
  void calibrate();
  bool CalibrationCompleted = false;
  std::uint8_t Calibrating = 0;  // the calibration's captures and reads run
  // Set for the whole of a calibration, its closing message included: the main
  // window's close waits until it is clear.
  std::uint8_t CalibrationRunning = 0;
};

// The one device of the program.
ScopeDevice& TheDevice();
// Back to the start-up state: link closed, buffers empty (without a word to
// the device: the program that held the link is gone).
void ResetDevice();

}  // namespace engine
