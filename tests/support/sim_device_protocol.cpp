// The device side of the simulated Darvik48: what it makes of the bytes on
// the OUT endpoint and what it queues on the IN endpoint in reply.
#include <algorithm>
#include <stdexcept>

#include "support/sim_device.h"

namespace {

constexpr std::uint8_t kScopeSettingsType = 128;
constexpr std::uint8_t kGeneratorSettingsType = 5;
constexpr std::uint8_t kFrequencyType = 2;

// Bytes that follow the length byte of each known packet type.
int KnownPacketLength(std::uint8_t type) {
  switch (type) {
    case kScopeSettingsType: return 7;
    case kGeneratorSettingsType: return 4;
    case kFrequencyType: return 19;
    default: return -1;
  }
}

}  // namespace

void SimulatedDarvik48::SetSignal(Signal ch1, Signal ch2) {
  const auto flat = [](int) -> std::uint8_t { return 128; };
  ch1_signal_ = ch1 ? std::move(ch1) : Signal(flat);
  ch2_signal_ = ch2 ? std::move(ch2) : Signal(flat);
}

void SimulatedDarvik48::SetSamples(std::vector<std::uint8_t> ch1, std::vector<std::uint8_t> ch2) {
  const auto from = [](std::vector<std::uint8_t> codes) -> Signal {
    return [codes = std::move(codes)](int index) {
      const auto n = static_cast<int>(codes.size());
      return codes[static_cast<std::size_t>(((index % n) + n) % n)];
    };
  };
  if (!ch1.empty()) ch1_signal_ = from(std::move(ch1));
  if (!ch2.empty()) ch2_signal_ = from(std::move(ch2));
}

std::uint8_t SimulatedDarvik48::SampleCode(int channel, int index) const {
  const std::uint8_t code = channel == 1 ? ch1_signal_(index) : ch2_signal_(index);
  if (!response_) return code;
  return response_(channel, code, settings_ ? &*settings_ : nullptr);
}

void SimulatedDarvik48::SetFirmwareVersion(const std::string& text) {
  for (std::size_t i = 0; i < firmware_.size(); ++i) firmware_[i] = i < text.size() ? text[i] : ' ';
}

std::optional<SimScopeSettings> SimulatedDarvik48::LastSettings() const { return settings_; }

void SimulatedDarvik48::ResetDevice() {
  out_state_ = OutState::Command;
  payload_left_ = 0;
  payload_.clear();
  capture_ = Capture::Idle;
  busy_left_ = 0;
  slow_index_ = 0;
  pending_in_.clear();
  settings_.reset();
  logic_loaded_ = false;
  shut_down_ = false;
}

void SimulatedDarvik48::TakeByte(std::uint8_t byte) {
  switch (out_state_) {
    case OutState::Command:
      commands_.push_back(byte);
      RunCommand(byte);
      return;
    case OutState::PacketType:
      payload_.push_back(byte);
      out_state_ = OutState::PacketLength;
      return;
    case OutState::PacketLength:
      payload_.push_back(byte);
      payload_left_ = byte;
      if (payload_left_ == 0) {
        FinishPacket();
      } else {
        out_state_ = OutState::PacketBody;
      }
      return;
    case OutState::PacketBody:
      payload_.push_back(byte);
      if (--payload_left_ == 0) FinishPacket();
      return;
    case OutState::WaveBlock:
      payload_.push_back(byte);
      if (--payload_left_ == 0) {
        wave_blocks_.push_back(payload_);
        out_state_ = OutState::Command;
      }
      return;
    case OutState::LogicStream:
      payload_.push_back(byte);
      if (--payload_left_ == 0) {
        logic_stream_ = payload_;
        ++logic_uploads_;
        logic_loaded_ = true;
        out_state_ = OutState::Command;
      }
      return;
  }
}

void SimulatedDarvik48::RunCommand(std::uint8_t command) {
  switch (command) {
    case 4:  // a wave block follows
      payload_.clear();
      payload_left_ = kWaveBlockBytes;
      out_state_ = OutState::WaveBlock;
      return;
    case 5:
    case 6:
    case 7:  // generator commands: no reply
      return;
    case 8:  // logic stream follows; the old configuration is gone
      payload_.clear();
      payload_.reserve(kLogicStreamBytes);
      payload_left_ = kLogicStreamBytes;
      logic_loaded_ = false;
      out_state_ = OutState::LogicStream;
      return;
    case 9:  // stop and reset the capture logic
      capture_ = Capture::Idle;
      busy_left_ = 0;
      pending_in_.clear();
      return;
    case 10:
      if (capture_ != Capture::Done)
        protocol_errors_.push_back("capture requested before the device reported it done");
      QueueCapture();
      return;
    case 11:
      capture_ = Capture::Armed;
      busy_left_ = busy_polls_;
      ++arms_;
      return;
    case 12: {  // one slow sample pair, repeated over the reply
      std::array<std::uint8_t, kReplyBytes> reply{};
      const std::uint8_t ch1 = SampleCode(1, slow_index_);
      const std::uint8_t ch2 = SampleCode(2, slow_index_);
      ++slow_index_;
      for (std::size_t k = 0; k < kReplyBytes / 2; ++k) {
        reply[2 * k] = ch2;
        reply[2 * k + 1] = ch1;
      }
      QueueReply(reply);
      return;
    }
    case 13: {  // 32 consecutive sample pairs, CH2 first in each pair
      std::array<std::uint8_t, kReplyBytes> reply{};
      for (std::size_t k = 0; k < kReplyBytes / 2; ++k) {
        const int index = slow_index_ + static_cast<int>(k);
        reply[2 * k] = SampleCode(2, index);
        reply[2 * k + 1] = SampleCode(1, index);
      }
      slow_index_ += static_cast<int>(kReplyBytes / 2);
      QueueReply(reply);
      return;
    }
    case 14:
      payload_.assign(1, command);
      out_state_ = OutState::PacketType;
      return;
    case 15: {
      std::array<std::uint8_t, kReplyBytes> reply{};
      for (std::size_t i = 0; i < firmware_.size(); ++i)
        reply[i] = static_cast<std::uint8_t>(firmware_[i]);
      QueueReply(reply);
      return;
    }
    case 20:
      shut_down_ = true;
      return;
    default:
      protocol_errors_.push_back("unknown command " + std::to_string(command));
      return;
  }
}

void SimulatedDarvik48::FinishPacket() {
  out_state_ = OutState::Command;
  SimPacket packet;
  packet.type = payload_[1];
  packet.bytes = payload_;
  const int n = static_cast<int>(payload_.size()) - 3;
  const int expected = KnownPacketLength(packet.type);
  if (expected < 0) {
    protocol_errors_.push_back("unknown packet type " + std::to_string(packet.type));
  } else if (n != expected) {
    protocol_errors_.push_back("packet type " + std::to_string(packet.type) + " with " +
                               std::to_string(n) + " bytes, expected " +
                               std::to_string(expected));
  } else if (packet.type == kScopeSettingsType) {
    SimScopeSettings settings;
    std::copy(payload_.begin() + 3, payload_.end(), settings.c.begin());
    settings_ = settings;
    settings_history_.push_back(settings);
  }
  packets_.push_back(std::move(packet));
}

void SimulatedDarvik48::QueueReply(const std::array<std::uint8_t, kReplyBytes>& reply) {
  pending_in_.insert(pending_in_.end(), reply.begin(), reply.end());
}

void SimulatedDarvik48::QueueCapture() {
  std::vector<std::uint8_t> ch1(kCaptureSamples), ch2(kCaptureSamples);
  for (std::size_t i = 0; i < kCaptureSamples; ++i) {
    ch1[i] = SampleCode(1, static_cast<int>(i));
    ch2[i] = SampleCode(2, static_cast<int>(i));
  }
  const std::vector<std::uint8_t> block = PackCapture(ch1, ch2);
  pending_in_.insert(pending_in_.end(), block.begin(), block.end());
  ++captures_sent_;
}

std::vector<std::uint8_t> SimulatedDarvik48::PackCapture(std::span<const std::uint8_t> ch1,
                                                         std::span<const std::uint8_t> ch2) {
  if (ch1.size() != kCaptureSamples || ch2.size() != kCaptureSamples)
    throw std::invalid_argument("a capture holds 4096 samples per channel");
  // In the host's order pair k sits at bytes 2k (CH1) and 2k + 1 (CH2); the
  // host gets there by moving byte i to (i + 63) mod 8192.
  std::vector<std::uint8_t> block(kCaptureBytes);
  for (std::size_t i = 0; i < kCaptureBytes; ++i) {
    const std::size_t ordered = (i + kCaptureRotation) % kCaptureBytes;
    const std::size_t pair = ordered / 2;
    block[i] = ordered % 2 == 0 ? ch1[pair] : ch2[pair];
  }
  return block;
}
