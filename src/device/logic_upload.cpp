// The logic configuration upload at every device open, and the firmware
// version query at the end of the start-up.
#include <filesystem>
#include <fstream>
#include <vector>

#include "device/scope_device.h"
#include "platform/ui/vcl.h"
#include "platform/usb/winusb_api.h"

namespace {

// Ships with the device; the copy in the data folder is the one read.
constexpr const char* kLogicFileName = "darvik48.bit";
constexpr std::size_t kHeaderBytes = 66;
// The sync mark (three 0xFF) must end within this many bytes after the header.
constexpr std::size_t kSyncWindow = 25;
constexpr std::size_t kDataBytes = device::ScopeDevice::kUploadBytes - 5;
constexpr std::uint32_t kLogicTimeoutMs = 10000;
constexpr std::uint8_t kLogicStreamFollows = 8;
constexpr std::uint32_t kReplyTimeoutMs = 200;

std::uint8_t ReverseBits(std::uint8_t b) {
  std::uint8_t r = 0;
  for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r | (((b >> i) & 1) << (7 - i)));
  return r;
}

// What of the file is used: header, sync window, data.
constexpr std::size_t kMostBytesUsed = kHeaderBytes + kSyncWindow + 1 + kDataBytes;

bool ReadUsedPart(const std::string& path, std::vector<std::uint8_t>* bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->resize(kMostBytesUsed);
  in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
  if (in.bad()) return false;
  bytes->resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

}  // namespace

namespace device {

// Through the write wrapper, which tells of a lost device.
bool ScopeDevice::SentWhole(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t timeoutMs) {
  std::uint32_t sent = 0;
  MPUSBWrite(UsbOutHandle, bytes, length, &sent, timeoutMs);
  if (!DeviceOpen) return false;
  return WinUsbInUse ? WinUsbApi::WinUsbLastStatus() == UsbStatus::Ok : sent == length;
}

bool ScopeDevice::LoadLogicFile(const LogicFolders& folders, std::string* failedPath) {
  const std::string source = folders.ProgramFolder + kLogicFileName;
  const std::string copy = folders.DataFolder + kLogicFileName;
  std::error_code ec;
  // A failed copy leaves an earlier copy in use, as long as there is one.
  if (!std::filesystem::equivalent(source, copy, ec))
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing, ec);

  std::vector<std::uint8_t> file;
  if (!ReadUsedPart(copy, &file)) {
    // With neither file present, point the user at the one that ships.
    *failedPath = std::filesystem::exists(source, ec) ? copy : source;
    return false;
  }
  *failedPath = copy;
  if (file.size() < kHeaderBytes) return false;

  // Sync search in a look-back window: bytes go to positions 5, 6, ... with
  // 3 and 4 zero, so the mark can end at position 7 at the earliest and must
  // end by position 29; the read into position 30 ends the search.
  std::array<std::uint8_t, 51> lookBack{};
  std::size_t pos = kHeaderBytes;
  bool synced = false;
  for (std::size_t p = 5; p <= 30; ++p) {
    if (pos >= file.size()) break;
    lookBack[p] = file[pos++];
    if (p == 30) break;
    if (lookBack[p] == 0xFF && lookBack[p - 1] == 0xFF && lookBack[p - 2] == 0xFF) {
      synced = true;
      break;
    }
  }
  if (!synced) return false;

  std::array<std::uint8_t, kUploadBytes> stream{};
  stream[0] = stream[1] = stream[2] = 0xFF;
  // Past the end of the file the last value is reversed again on every step.
  std::uint8_t previous = 0xFF;
  for (std::size_t k = 0; k < kDataBytes; ++k) {
    const std::uint8_t raw = pos < file.size() ? file[pos++] : previous;
    previous = ReverseBits(raw);
    stream[3 + k] = previous;
  }
  stream[kUploadBytes - 2] = 0;
  stream[kUploadBytes - 1] = 0;
  UploadBuffer = stream;
  return true;
}

int ScopeDevice::SendFPGAdata(const LogicFolders& folders) {
  std::string path;
  if (!LoadLogicFile(folders, &path)) {
    // Nothing goes to the device: a stale or empty stream would leave it
    // half configured.
    MessageDlg("Unable to read the logic file " + path + ".", mtError, mbOK, 0);
    return -1;
  }
  const std::uint8_t command = kLogicStreamFollows;
  if (!SentWhole(&command, 1, kCommandTimeoutMs) || !SentWhole(UploadBuffer.data(), kUploadBytes, kLogicTimeoutMs)) {
    // A device with part of its logic is as unusable as one without; a lost
    // device has been reported already.
    if (DeviceOpen) MessageDlg("Unable to send the logic file " + path + " to the Darvik48.", mtError, mbOK, 0);
    return -1;
  }
  return 0;
}

std::optional<std::string> ScopeDevice::FirmwareVersion() {
  if (Quiet() || !DeviceOpen) return std::nullopt;
  SendDeviceCommand(15);
  CaptureHeld = false;
  std::uint32_t got = 0;
  MPUSBRead(UsbInHandle, UsbRxBuffer.data(), kReplyBytes, &got, kReplyTimeoutMs);
  // Stale bytes of an earlier reply must not pass for a version.
  if (!DeviceOpen || got < 4) return std::nullopt;
  return std::string(UsbRxBuffer.begin(), UsbRxBuffer.begin() + 4);
}

}  // namespace device
