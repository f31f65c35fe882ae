// The USB side of the simulated Darvik48: presence, opening, transfers, the
// transfer log. The device's protocol lives in sim_device_protocol.cpp.
#include "support/sim_device.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* StatusName(UsbStatus status) {
  switch (status) {
    case UsbStatus::Ok: return "Ok";
    case UsbStatus::Timeout: return "Timeout";
    case UsbStatus::NoDevice: return "NoDevice";
    case UsbStatus::Error: return "Error";
  }
  return "?";
}

}  // namespace

SimulatedDarvik48::SimulatedDarvik48() {
  SetSignal(nullptr, nullptr);
}

int SimulatedDarvik48::CountDevices() { return Present() ? device_count_ : 0; }

bool SimulatedDarvik48::Open() {
  ++open_calls_;
  if (!Present() || refuse_open_) return false;
  if (fail_open_after_) {
    if (*fail_open_after_ == 0) {
      fail_open_after_.reset();
      return false;
    }
    --*fail_open_after_;
  }
  // A handle that died with an unplug is replaced by a fresh one.
  open_ = true;
  handle_dead_ = false;
  return true;
}

void SimulatedDarvik48::Close() {
  open_ = false;
  handle_dead_ = false;
}

void SimulatedDarvik48::SetDeviceCount(int count) { device_count_ = std::max(count, 0); }

void SimulatedDarvik48::Unplug() {
  unplugged_ = true;
  if (open_) handle_dead_ = true;
  unplug_countdown_.reset();
}

void SimulatedDarvik48::UnplugAfter(std::size_t transfers, std::size_t partial_bytes) {
  unplug_countdown_ = transfers;
  unplug_partial_ = partial_bytes;
}

void SimulatedDarvik48::Replug() {
  unplugged_ = false;
  if (device_count_ == 0) device_count_ = 1;
  unplug_countdown_.reset();
  ResetDevice();
}

void SimulatedDarvik48::FailOpen(int successes) { fail_open_after_ = std::max(successes, 0); }

void SimulatedDarvik48::ScriptWrite(UsbStatus status, std::size_t count) {
  write_faults_.push_back({status, count});
}

void SimulatedDarvik48::ScriptRead(UsbStatus status, std::size_t count) {
  read_faults_.push_back({status, count});
}

bool SimulatedDarvik48::UnplugsDuringThisTransfer() {
  if (!unplug_countdown_) return false;
  if (*unplug_countdown_ == 0) return true;
  --*unplug_countdown_;
  return false;
}

UsbStatus SimulatedDarvik48::Write(std::uint8_t endpoint, const std::uint8_t* data,
                                   std::size_t length, std::size_t* sent, unsigned timeout_ms) {
  if (sent) *sent = 0;
  if (!Present() || !open_ || handle_dead_) {
    Record(SimTransfer::Kind::Write, endpoint, length, nullptr, 0, timeout_ms, UsbStatus::NoDevice);
    return UsbStatus::NoDevice;
  }
  if (endpoint != kDarvikOutEndpoint || (!data && length > 0)) {
    Record(SimTransfer::Kind::Write, endpoint, length, nullptr, 0, timeout_ms, UsbStatus::Error);
    return UsbStatus::Error;
  }
  std::size_t taken = length;
  UsbStatus status = UsbStatus::Ok;
  const bool unplugs = UnplugsDuringThisTransfer();
  if (unplugs) {
    taken = std::min(unplug_partial_, length);
    status = UsbStatus::NoDevice;
  } else if (!write_faults_.empty()) {
    taken = std::min(write_faults_.front().count, length);
    status = write_faults_.front().status;
    write_faults_.pop_front();
  }
  for (std::size_t i = 0; i < taken; ++i) TakeByte(data[i]);
  Record(SimTransfer::Kind::Write, endpoint, length, data, taken, timeout_ms, status);
  if (unplugs) Unplug();
  if (sent) *sent = taken;
  return status;
}

UsbStatus SimulatedDarvik48::Read(std::uint8_t endpoint, std::uint8_t* data, std::size_t length,
                                  std::size_t* received, unsigned timeout_ms) {
  if (received) *received = 0;
  if (!Present() || !open_ || handle_dead_) {
    Record(SimTransfer::Kind::Read, endpoint, length, nullptr, 0, timeout_ms, UsbStatus::NoDevice);
    return UsbStatus::NoDevice;
  }
  if (endpoint != kDarvikInEndpoint || (!data && length > 0)) {
    Record(SimTransfer::Kind::Read, endpoint, length, nullptr, 0, timeout_ms, UsbStatus::Error);
    return UsbStatus::Error;
  }
  std::size_t got = 0;
  UsbStatus status = UsbStatus::Ok;
  const bool unplugs = UnplugsDuringThisTransfer();
  if (unplugs) {
    got = Deliver(data, length, unplug_partial_, false);
    status = UsbStatus::NoDevice;
  } else if (!read_faults_.empty()) {
    const Fault fault = read_faults_.front();
    read_faults_.pop_front();
    got = Deliver(data, length, fault.count, false);
    status = fault.status;
  } else if (short_replies_ && length == kReplyBytes && !pending_in_.empty()) {
    got = Deliver(data, length, *short_replies_, true);
    status = UsbStatus::Timeout;
  } else {
    got = Deliver(data, length, length, true);
    // As on a real bulk pipe: nothing at all, or only whole packets where
    // more was asked for, means the device went quiet and the wait ran out.
    if (length > 0 && (got == 0 || (got < length && got % kPacketSize == 0)))
      status = UsbStatus::Timeout;
  }
  Record(SimTransfer::Kind::Read, endpoint, length, data, got, timeout_ms, status);
  if (unplugs) Unplug();
  if (received) *received = got;
  return status;
}

void SimulatedDarvik48::Flush(std::uint8_t endpoint) {
  // Nothing is held on the host side; the device's own data stays pending.
  const UsbStatus status =
      (!Present() || !open_ || handle_dead_) ? UsbStatus::NoDevice : UsbStatus::Ok;
  Record(SimTransfer::Kind::Flush, endpoint, 0, nullptr, 0, 0, status);
}

std::size_t SimulatedDarvik48::Deliver(std::uint8_t* data, std::size_t length, std::size_t limit,
                                       bool whole_packets) {
  const std::size_t want = std::min(length, limit);
  if (want == 0) return 0;
  if (pending_in_.empty()) {
    // Nothing queued: only a status poll gets an answer, and only once armed.
    if (capture_ == Capture::Idle || length > 4) return 0;
    std::uint8_t status = kStatusDone;
    if (capture_ == Capture::Armed) {
      if (busy_left_ > 0) {
        --busy_left_;
        status = busy_value_;
      } else {
        capture_ = Capture::Done;
      }
    }
    data[0] = status;
    std::fill(data + 1, data + want, 0);
    return want;
  }
  const std::size_t n = std::min(want, pending_in_.size());
  std::copy(pending_in_.begin(), pending_in_.begin() + static_cast<std::ptrdiff_t>(n), data);
  // The host reads whole packets and drops what lies beyond the asked length.
  std::size_t consumed = n;
  if (whole_packets) {
    const std::size_t rounded = (length + kPacketSize - 1) / kPacketSize * kPacketSize;
    consumed = std::min(rounded, pending_in_.size());
  }
  pending_in_.erase(pending_in_.begin(), pending_in_.begin() + static_cast<std::ptrdiff_t>(consumed));
  return n;
}

void SimulatedDarvik48::Record(SimTransfer::Kind kind, std::uint8_t endpoint, std::size_t length,
                               const std::uint8_t* data, std::size_t count, unsigned timeout_ms,
                               UsbStatus status) {
  SimTransfer t;
  t.kind = kind;
  t.endpoint = endpoint;
  t.length = length;
  if (data && count > 0) t.data.assign(data, data + count);
  t.timeout_ms = timeout_ms;
  t.status = status;
  transfers_.push_back(std::move(t));
}

std::vector<std::uint8_t> SimulatedDarvik48::WrittenBytes() const {
  std::vector<std::uint8_t> bytes;
  for (const SimTransfer& t : transfers_) {
    if (t.kind == SimTransfer::Kind::Write && t.endpoint == kDarvikOutEndpoint)
      bytes.insert(bytes.end(), t.data.begin(), t.data.end());
  }
  return bytes;
}

std::string SimulatedDarvik48::Dump(std::size_t bytes_per_transfer) const {
  std::string out;
  char line[128];
  for (std::size_t i = 0; i < transfers_.size(); ++i) {
    const SimTransfer& t = transfers_[i];
    if (t.kind == SimTransfer::Kind::Flush) {
      std::snprintf(line, sizeof line, "#%zu flush ep 0x%02X -> %s\n", i, t.endpoint,
                    StatusName(t.status));
      out += line;
      continue;
    }
    std::snprintf(line, sizeof line, "#%zu %s ep 0x%02X len %zu t/o %u ms -> %s (%zu):", i,
                  t.kind == SimTransfer::Kind::Write ? "write" : "read ", t.endpoint, t.length,
                  t.timeout_ms, StatusName(t.status), t.data.size());
    out += line;
    const std::size_t shown = std::min(bytes_per_transfer, t.data.size());
    for (std::size_t k = 0; k < shown; ++k) {
      std::snprintf(line, sizeof line, " %02x", t.data[k]);
      out += line;
    }
    if (shown < t.data.size()) {
      std::snprintf(line, sizeof line, " ... (+%zu)", t.data.size() - shown);
      out += line;
    }
    out += '\n';
  }
  for (const std::string& e : protocol_errors_) out += "protocol: " + e + "\n";
  return out;
}

void SimulatedDarvik48::ClearLog() {
  transfers_.clear();
  commands_.clear();
  packets_.clear();
  settings_history_.clear();
  wave_blocks_.clear();
  protocol_errors_.clear();
}

ScopedSimulatedDevice::ScopedSimulatedDevice() {
  auto device = std::make_unique<SimulatedDarvik48>();
  device_ = device.get();
  SetUsbHost(std::move(device));
}

ScopedSimulatedDevice::~ScopedSimulatedDevice() { SetUsbHost(nullptr); }
