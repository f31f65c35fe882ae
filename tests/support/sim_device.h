// A simulated Darvik48 behind the UsbDeviceHost interface. It takes the bytes
// the program writes as the device would (one-byte commands, the settings
// packet, the logic stream, generator packets), answers status polls,
// captures, firmware and calibration requests from a programmable two-channel
// signal, records every transfer, and can be unplugged at any point.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/usb/usb_device_host.h"

// The seven control bytes c0..c6 of the scope settings packet, decoded.
// Channels are numbered 1 (CH1) and 2 (CH2).
struct SimScopeSettings {
  std::array<std::uint8_t, 7> c{};

  std::uint8_t ControlByte(int channel) const { return c[channel == 1 ? 0 : 1]; }
  // 0x08 3 V, 0x28 1 V, 0x04 0.3 V, 0x24 0.1 V, 0x02 30 mV, 0x22 10 mV per div.
  std::uint8_t GainBits(int channel) const { return ControlByte(channel) & 0x2E; }
  bool Grounded(int channel) const { return (ControlByte(channel) & 0x10) != 0; }
  bool DcCoupled(int channel) const { return (ControlByte(channel) & 0x01) != 0; }
  std::uint8_t OffsetDac(int channel) const { return c[channel == 1 ? 2 : 3]; }
  std::uint8_t TriggerLevelByte() const { return c[4]; }
  // The trigger level the program meant: the byte is sent complemented.
  std::uint8_t TriggerLevel() const { return static_cast<std::uint8_t>(255 - c[4]); }
  std::uint8_t TimeBaseRegister() const { return c[5]; }
  bool TriggerSourceCh2() const { return (c[6] & 0x01) != 0; }
  bool TriggerOn() const { return (c[6] & 0x02) != 0; }
  bool FallingEdge() const { return (c[6] & 0x04) != 0; }
  bool BitView() const { return (c[6] & 0x08) != 0; }
  std::uint8_t UnusedBits() const { return c[6] & 0xF0; }
};

// A packet that starts with 14: [14, type, n, n bytes]. Type 128 is the scope
// settings packet, 5 the generator settings, 2 the frequency packet.
struct SimPacket {
  std::uint8_t type = 0;
  std::vector<std::uint8_t> bytes;  // the whole packet, 14 first
};

struct SimTransfer {
  enum class Kind { Write, Read, Flush };
  Kind kind = Kind::Write;
  std::uint8_t endpoint = 0;
  std::size_t length = 0;           // bytes offered (write) or asked for (read)
  std::vector<std::uint8_t> data;   // bytes the device took (write) or gave (read)
  unsigned timeout_ms = 0;
  UsbStatus status = UsbStatus::Ok;
};

class SimulatedDarvik48 : public UsbDeviceHost {
 public:
  static constexpr std::size_t kCaptureSamples = 4096;
  static constexpr std::size_t kCaptureBytes = 8192;
  // The device sends the block rotated: the host moves byte i to (i + 63) mod 8192.
  static constexpr std::size_t kCaptureRotation = 63;
  static constexpr std::size_t kLogicStreamBytes = 54912;
  static constexpr std::size_t kWaveBlockBytes = 512;
  static constexpr std::size_t kReplyBytes = 64;
  static constexpr std::size_t kPacketSize = 64;
  static constexpr std::uint8_t kStatusDone = 0x44;

  // Code 0..255 of one channel at one sample index.
  using Signal = std::function<std::uint8_t(int index)>;
  // What the device's front end makes of a signal code under the current
  // settings (null before the first settings packet). The default passes the
  // code through; calibration tests model offset and gain here.
  using Response =
      std::function<std::uint8_t(int channel, std::uint8_t code, const SimScopeSettings* settings)>;

  SimulatedDarvik48();

  // UsbDeviceHost
  int CountDevices() override;
  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  UsbStatus Write(std::uint8_t endpoint, const std::uint8_t* data, std::size_t length,
                  std::size_t* sent, unsigned timeout_ms) override;
  UsbStatus Read(std::uint8_t endpoint, std::uint8_t* data, std::size_t length,
                 std::size_t* received, unsigned timeout_ms) override;
  void Flush(std::uint8_t endpoint) override;

  // ---- Presence and opening
  // Devices on the bus (1 by default; 0 = absent). Open reaches the first.
  void SetDeviceCount(int count);
  bool Present() const { return device_count_ > 0 && !unplugged_; }
  // Pulls the plug now: every transfer fails with NoDevice, CountDevices is 0.
  void Unplug();
  // Lets `transfers` more transfers through; the one after that takes (or
  // gives) only `partial_bytes` and fails with NoDevice as the plug comes out.
  void UnplugAfter(std::size_t transfers, std::size_t partial_bytes = 0);
  // Plugs the device back in, freshly powered (no logic, nothing pending). A
  // handle opened before the unplug stays dead until Close and Open.
  void Replug();
  // The Open call that follows `successes` more successful ones fails (once).
  void FailOpen(int successes = 0);
  // While set, every Open fails (e.g. no permission).
  void RefuseOpen(bool refuse) { refuse_open_ = refuse; }
  int OpenCalls() const { return open_calls_; }

  // ---- What the device answers
  void SetSignal(Signal ch1, Signal ch2);
  // Explicit samples; index i uses entry i mod size. Empty keeps the channel.
  void SetSamples(std::vector<std::uint8_t> ch1, std::vector<std::uint8_t> ch2);
  void SetResponse(Response response) { response_ = std::move(response); }
  // Code of `channel` at `index` as the device would report it now.
  std::uint8_t SampleCode(int channel, int index) const;
  // Status polls after an arm that still read "busy", and the busy value.
  void SetBusyPolls(int polls) { busy_polls_ = polls; }
  void SetBusyValue(std::uint8_t value) { busy_value_ = value; }
  // Four ASCII characters sent in reply to command 15.
  void SetFirmwareVersion(const std::string& text);
  // The next unscripted write / read ends with `status` after only `count`
  // bytes went through (a short read, a time-out with what did arrive, an
  // error). Scripts queue up in order.
  void ScriptWrite(UsbStatus status, std::size_t count = 0);
  void ScriptRead(UsbStatus status, std::size_t count = 0);
  // While set, every 64-byte reply (firmware, slow reads) comes short: only
  // its first `bytes` bytes arrive, the rest is lost and the wait runs out.
  void SetShortReplies(std::optional<std::size_t> bytes) { short_replies_ = bytes; }

  // ---- What the device saw
  const std::vector<SimTransfer>& Transfers() const { return transfers_; }
  // Every byte the device took on the OUT endpoint, in order.
  std::vector<std::uint8_t> WrittenBytes() const;
  // Every byte seen where a command was due (4, 8 and 14 start their payloads).
  const std::vector<std::uint8_t>& Commands() const { return commands_; }
  const std::vector<SimPacket>& Packets() const { return packets_; }
  const std::vector<SimScopeSettings>& SettingsHistory() const { return settings_history_; }
  std::optional<SimScopeSettings> LastSettings() const;
  const std::vector<std::vector<std::uint8_t>>& WaveBlocks() const { return wave_blocks_; }
  // The last complete logic stream (54,912 bytes) and how many arrived.
  const std::vector<std::uint8_t>& LogicStream() const { return logic_stream_; }
  int LogicUploads() const { return logic_uploads_; }
  bool LogicLoaded() const { return logic_loaded_; }
  int Arms() const { return arms_; }
  int CapturesSent() const { return captures_sent_; }
  bool ShutDown() const { return shut_down_; }
  // What made no sense to the device (unknown commands or packet types,
  // packets of the wrong length, a capture requested before it was done).
  const std::vector<std::string>& ProtocolErrors() const { return protocol_errors_; }
  // The transfer log as text, for failure messages.
  std::string Dump(std::size_t bytes_per_transfer = 16) const;
  // Forgets the log and the observations above; the device keeps its state.
  void ClearLog();

  // The 8192 bytes of one capture as the device sends them, from 4096 codes
  // per channel (throws std::invalid_argument on other sizes).
  static std::vector<std::uint8_t> PackCapture(std::span<const std::uint8_t> ch1,
                                               std::span<const std::uint8_t> ch2);

 private:
  enum class OutState { Command, PacketType, PacketLength, PacketBody, WaveBlock, LogicStream };
  enum class Capture { Idle, Armed, Done };
  struct Fault {
    UsbStatus status;
    std::size_t count;
  };

  // Takes the next transfer's fate from the unplug countdown: true when the
  // plug comes out during this transfer.
  bool UnplugsDuringThisTransfer();
  void ResetDevice();
  void TakeByte(std::uint8_t byte);
  void RunCommand(std::uint8_t command);
  void FinishPacket();
  void QueueReply(const std::array<std::uint8_t, kReplyBytes>& reply);
  void QueueCapture();
  std::size_t Deliver(std::uint8_t* data, std::size_t length, std::size_t limit,
                      bool whole_packets);
  void Record(SimTransfer::Kind kind, std::uint8_t endpoint, std::size_t length,
              const std::uint8_t* data, std::size_t count, unsigned timeout_ms, UsbStatus status);

  // Presence
  int device_count_ = 1;
  bool unplugged_ = false;
  bool open_ = false;
  bool handle_dead_ = false;
  std::optional<std::size_t> unplug_countdown_;
  std::size_t unplug_partial_ = 0;
  int open_calls_ = 0;
  std::optional<int> fail_open_after_;
  bool refuse_open_ = false;

  // Answers
  Signal ch1_signal_, ch2_signal_;
  Response response_;
  int busy_polls_ = 0;
  std::uint8_t busy_value_ = 0;
  std::array<char, 4> firmware_{{'0', '1', '0', '7'}};
  std::deque<Fault> write_faults_, read_faults_;
  std::optional<std::size_t> short_replies_;

  // Device state
  OutState out_state_ = OutState::Command;
  std::size_t payload_left_ = 0;
  std::vector<std::uint8_t> payload_;
  Capture capture_ = Capture::Idle;
  int busy_left_ = 0;
  int slow_index_ = 0;
  std::deque<std::uint8_t> pending_in_;
  std::optional<SimScopeSettings> settings_;
  std::vector<std::uint8_t> logic_stream_;
  bool logic_loaded_ = false;
  int logic_uploads_ = 0;
  int arms_ = 0;
  int captures_sent_ = 0;
  bool shut_down_ = false;

  // Observations
  std::vector<SimTransfer> transfers_;
  std::vector<std::uint8_t> commands_;
  std::vector<SimPacket> packets_;
  std::vector<SimScopeSettings> settings_history_;
  std::vector<std::vector<std::uint8_t>> wave_blocks_;
  std::vector<std::string> protocol_errors_;
};

// Installs a fresh simulated device as the program's USB host for the life of
// one test, and brings the libusb host back afterwards.
class ScopedSimulatedDevice {
 public:
  ScopedSimulatedDevice();
  ~ScopedSimulatedDevice();
  ScopedSimulatedDevice(const ScopedSimulatedDevice&) = delete;
  ScopedSimulatedDevice& operator=(const ScopedSimulatedDevice&) = delete;
  SimulatedDarvik48& device() { return *device_; }
  SimulatedDarvik48* operator->() { return device_; }

 private:
  SimulatedDarvik48* device_;
};

// ======== The input stage, for the calibration ========
// A small model of what each channel's front end makes of its input, to be
// installed with SetResponse(frontEnd.AsResponse()). Per channel and range
// family (the 3 V family: 3 V, 0.3 V, 30 mV; the 1 V family: 1 V, 0.1 V,
// 10 mV, told apart by gain bit 0x20):
//
//   code = clamp(127 - Slope * (offsetByte - Zero) + input, 0, 255)
//
// where offsetByte is the channel's offset DAC byte of the last settings
// packet and input is 0 for a grounded channel, else the signal code - 128.
// A higher offset byte moves the trace down the code scale, so the screen
// reading (255 - code) rises by Slope per step; at offsetByte = Zero a
// grounded channel reads code 127, reading 128. Stuck makes a channel report
// one code whatever it is told (a broken input). Before the first settings
// packet the signal passes unchanged.
struct SimFrontEnd {
  struct Channel {
    int Zero3V = 124;
    int Slope3V = 1;
    int Zero1V = 124;
    int Slope1V = 1;
    std::optional<std::uint8_t> Stuck;
  };
  Channel Ch1, Ch2;

  std::uint8_t Code(int channel, std::uint8_t signal, const SimScopeSettings* settings) const;
  // A response that keeps its own copy of this model.
  SimulatedDarvik48::Response AsResponse() const;
};
