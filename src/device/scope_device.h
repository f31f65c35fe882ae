// The Darvik48 as the program drives it: the USB link with its handles and
// buffers, the logic upload, the capture-control commands and the settings
// packet, the capture cycle, the unpacking, the demo source and the
// device's steps of the calibration. Its state is its own; what it reads it hands back as values,
// and a transfer that finds the device gone closes the link, tells the user
// once, and leaves the caller an empty answer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "device/demo_source.h"
#include "device/settings_packet.h"
#include "display/capture.h"
#include "platform/usb/mpusb_api.h"

namespace device {

inline constexpr std::size_t kUsbRxBufferSize = 8192;
inline constexpr std::uint32_t kCommandTimeoutMs = 10;    // one command byte or a settings packet
inline constexpr std::uint32_t kReplyBytes = 64;          // a reply to a status or data request
inline constexpr std::uint8_t kStatusCaptureDone = 0x44;  // 'D': a capture waits to be read
// How long a calibration step waits for the device to deliver one capture or
// one slow read; a device that stays silent longer ends it as failed.
inline constexpr int kDeviceAnswerLimitMs = 2000;

// Where the logic file comes from: the folder of the program file, where it
// ships, and the data folder, where the copy that is read lives. Both end in "/".
struct LogicFolders {
  std::string ProgramFolder;
  std::string DataFolder;
};

// How a capture is unpacked: a grounded input shows its mean level as a flat
// line (not while the calibration measures the real input), and the capture
// carries the settings it was taken with.
struct UnpackOptions {
  bool FlattenCh1 = false;
  bool FlattenCh2 = false;
  display::CaptureSettings Settings;
};

// The capture in `stream`, 8192 bytes as the device sends them: byte i
// belongs at (i + 63) mod 8192, CH1 the even byte, CH2 the odd one.
display::Capture UnpackCapture(std::span<const std::uint8_t, display::kCaptureBytes> stream,
                               const UnpackOptions& options);

// One slow calibration read: 32 sample pairs and each channel's screen
// reading (255 minus its mean code, the remainder dropped).
struct LevelReading {
  static constexpr std::size_t kPairs = 32;
  std::array<std::uint8_t, kPairs> Ch1{};
  std::array<std::uint8_t, kPairs> Ch2{};
  int Ch1Level = 0;
  int Ch2Level = 0;
  // (255 - mean CH2) * 256 + (255 - mean CH1), as the read has always been reported.
  std::uint16_t Packed() const { return static_cast<std::uint16_t>(Ch2Level * 256 + Ch1Level); }
};

// One sample of the transient recorder: each channel's screen value (255 minus its code).
struct RecorderSample {
  std::uint8_t Ch1 = 0;
  std::uint8_t Ch2 = 0;
};

class ScopeDevice {
 public:
  using MpusbHandle = MpusbApi::MpusbHandle;
  // The logic configuration stream: FF FF FF, the bit-reversed data, 00 00.
  static constexpr std::size_t kUploadBytes = 54912;

  // demoMode tells whether the scope runs on its demo source: no capture
  // command then reaches the device, open or not.
  explicit ScopeDevice(std::function<bool()> demoMode = {});
  ScopeDevice(const ScopeDevice&) = delete;
  ScopeDevice& operator=(const ScopeDevice&) = delete;

  // ---- What others may know of the link.
  bool IsOpen() const { return DeviceOpen != 0; }
  bool FallbackInUse() const { return WinUsbInUse != 0; }      // the fallback back end carries the link
  bool HardwareMissing() const { return NoHardware != 0; }     // the last open found no usable device
  MpusbHandle OutHandle() const { return UsbOutHandle; }      // -1 while closed
  MpusbHandle InHandle() const { return UsbInHandle; }
  std::uint8_t AcquisitionState() const { return AcqState; }  // arguments of the last Reset_500
  std::uint8_t Armed() const { return AcqArmed; }

  // ---- Link
  // Opens the link unless it is open: the device count, the fallback back end
  // when the primary one sees none, the primary one's pipes, then the logic
  // upload; showLoading(true) before the upload starts, (false) once it is
  // over. True when the link is open and the device configured; a device
  // without its logic is given up.
  bool Open(const LogicFolders& folders, const std::function<void(bool)>& showLoading);
  // Transfers; both return at once while the link is closed. A transfer that
  // finds the device gone closes the link and says so once.
  void MPUSBWrite(MpusbHandle handle, const std::uint8_t* buf, std::uint32_t len, std::uint32_t* sent,
                  std::uint32_t timeout);
  void MPUSBRead(MpusbHandle handle, std::uint8_t* buf, std::uint32_t len, std::uint32_t* got,
                 std::uint32_t timeout);
  // Bytes on the OUT endpoint (the generator's packets).
  void SendBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t timeoutMs);
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
  // The next open is tried afresh, whatever the last one found.
  void ForgetMissingHardware() { NoHardware = 0; }
  // The flags of a window that starts: link marked closed (without a word to
  // the device), no hardware missing, no capture under way.
  void ResetLinkFlags();

  // ---- Logic upload. SendFPGAdata returns 0 when the stream went out whole,
  // -1 when the logic file could not be used (nothing is sent then) or the
  // device did not take all of it.
  int SendFPGAdata(const LogicFolders& folders);
  // Reads the logic file into the upload stream; false when it cannot be used.
  bool LoadLogicFile(const LogicFolders& folders, std::string* failedPath);

  // ---- Commands
  // Capture control: (0,0) stop and reset 9, (1,0) 10, (1,1) arm 11, (2,0) 12,
  // (3,0) 13; nothing in demo mode.
  void Reset_500(std::uint8_t state, std::uint8_t armed);
  // Re-arms a capture: stop and reset (9), then arm (11).
  void Resetoi_500();
  // The settings packet; nothing while the link is closed.
  void SendSettings(const SettingsPacket& packet);
  // The firmware version the device reports (command 15); none without a
  // whole reply or while the link is closed.
  std::optional<std::string> FirmwareVersion();

  // ---- Capture cycle
  // One step of a capture loop: a status poll while armed, then the capture
  // read once it is ready. True when a whole capture arrived.
  bool DeviceCaptureStep(std::uint32_t pollBytes, std::uint32_t blockTimeoutMs);
  // Reads the 8 blocks of a capture; true only when all 8192 bytes arrived.
  bool ReadCaptureBlocks(std::uint32_t timeoutMs);

  // ---- Unpacking
  // The capture the last capture cycle read whole; none when no whole
  // capture has arrived since (a short read, a lost device).
  std::optional<display::Capture> LueData_500(const UnpackOptions& options) const;
  // Slow calibration read: a re-arm, a wait for "done", then 32 sample
  // pairs. None when the link closes, the program ends, stop() says so, or no
  // whole reply came within kDeviceAnswerLimitMs.
  std::optional<LevelReading> ReadBytes(const std::function<bool()>& stop = {});

  // ---- The demo source, which stands in for the device's captures in demo mode.
  DemoSource& Demo() { return demo_; }

  // ---- The recorder
  // One status poll of `bytes` bytes: true when the device says "done".
  bool PollDone(std::uint32_t bytes, std::uint32_t timeoutMs);
  // Asks for the recorder's sample (command 12) and reads it; none without a whole reply.
  std::optional<RecorderSample> ReadRecorderSample(std::uint32_t timeoutMs);

 private:
  bool Quiet() const { return demoMode_ && demoMode_(); }
  // Writes and says whether every byte went out: the primary back end counts
  // them, the fallback one reports how its transfer ended.
  bool SentWhole(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t timeoutMs);

  std::function<bool()> demoMode_;

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
  // UsbRxBuffer holds a whole capture, read by the last capture cycle.
  bool CaptureHeld = false;

  // Arguments of the last capture-control command (Reset_500).
  std::uint8_t AcqState = 0;
  std::uint8_t AcqArmed = 0;

  std::array<std::uint8_t, kUploadBytes> UploadBuffer{};

  DemoSource demo_;
};

}  // namespace device
