#include "generator/com_port.h"

#include <QSocketNotifier>

#include <algorithm>
#include <climits>

namespace generator {
namespace {

std::array<std::string, 8>& DevicePaths() {
  static std::array<std::string, 8> paths{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3",
                                          "/dev/ttyS4", "/dev/ttyS5", "/dev/ttyS6", "/dev/ttyS7"};
  return paths;
}

}  // namespace

std::string ComPortDevicePath(TPortType port) { return DevicePaths()[static_cast<int>(port)]; }

void SetComPortDevicePath(TPortType port, const std::string& path) {
  DevicePaths()[static_cast<int>(port)] = path;
}

std::string ComPortName(TPortType port) { return "COM" + std::to_string(static_cast<int>(port) + 1); }

int BaudRateValue(TBaudRate rate) {
  static constexpr int kRates[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                   14400, 19200, 38400, 56000, 57600, 115200};
  return kRates[static_cast<int>(rate)];
}

}  // namespace generator

namespace {

constexpr const char* kOpenFailed =
    "The selected COM port is either not supported or is being used by another device.\r"
    "Select another port.";

[[noreturn]] void Raise(const std::string& prefix, int error) {
  throw EComPort(prefix + std::to_string(error));
}

}  // namespace

// ---- sub-objects ---------------------------------------------------------

void TParity::Assign(const TParity& other) {
  bits_ = other.bits_;
  check_ = other.check_;
  replace_ = other.replace_;
  replaceChar_ = other.replaceChar_;
  if (port_) port_->ApplyLineSettings();
}

#define COMPORT_SETTER(Class, Name, Type, field, changed) \
  void Class::Name(Type v) {                               \
    if (field == v) return;                                \
    field = v;                                             \
    changed;                                               \
  }

COMPORT_SETTER(TParity, SetBits, TParityBits, bits_, if (port_) port_->ApplyLineSettings())
COMPORT_SETTER(TParity, SetCheck, bool, check_, if (port_) port_->ApplyLineSettings())
COMPORT_SETTER(TParity, SetReplace, bool, replace_, if (port_) port_->ApplyLineSettings())
COMPORT_SETTER(TParity, SetReplaceChar, char, replaceChar_, if (port_) port_->ApplyLineSettings())

void TFlowControl::Assign(const TFlowControl& other) {
  outCtsFlow_ = other.outCtsFlow_;
  outDsrFlow_ = other.outDsrFlow_;
  controlDtr_ = other.controlDtr_;
  controlRts_ = other.controlRts_;
  xonXoffOut_ = other.xonXoffOut_;
  xonXoffIn_ = other.xonXoffIn_;
  Changed();
}

void TFlowControl::Changed() {
  if (port_) port_->ApplyLineSettings();
}

COMPORT_SETTER(TFlowControl, SetOutCtsFlow, bool, outCtsFlow_, Changed())
COMPORT_SETTER(TFlowControl, SetOutDsrFlow, bool, outDsrFlow_, Changed())
COMPORT_SETTER(TFlowControl, SetControlDtr, TDtrFlowControl, controlDtr_, Changed())
COMPORT_SETTER(TFlowControl, SetControlRts, TRtsFlowControl, controlRts_, Changed())
COMPORT_SETTER(TFlowControl, SetXonXoffOut, bool, xonXoffOut_, Changed())
COMPORT_SETTER(TFlowControl, SetXonXoffIn, bool, xonXoffIn_, Changed())

void TComTimeouts::Assign(const TComTimeouts& other) {
  ReadInterval = other.ReadInterval;
  ReadTotalMultiplier = other.ReadTotalMultiplier;
  ReadTotalConstant = other.ReadTotalConstant;
  WriteTotalMultiplier = other.WriteTotalMultiplier;
  WriteTotalConstant = other.WriteTotalConstant;
  if (port_) port_->ApplyTimeouts();
}

// ---- the component -------------------------------------------------------

TComPort::TComPort(TComponent* owner)
    : TComponent(owner),
      parity_(std::make_unique<TParity>(this)),
      flowControl_(std::make_unique<TFlowControl>(this)),
      timeouts_(std::make_unique<TComTimeouts>(this)) {}

TComPort::~TComPort() {
  *alive_ = false;
  // No handler runs while the component goes away.
  OnClose = nullptr;
  Close();
}

void TComPort::Open() {
  Close();
  if (!line_.Open(generator::ComPortDevicePath(port_))) throw EComPort(kOpenFailed);
  connected_ = true;
  try {
    ApplyBuffers();
    ApplyLineSettings();
    ApplyTimeouts();
  } catch (...) {
    line_.Close();
    connected_ = false;
    throw;
  }
  if (!events_.empty()) StartEvents();
  if (OnOpen) OnOpen(this);
}

void TComPort::Close() {
  if (!connected_) return;
  StopEvents();
  line_.Purge();
  line_.Close();
  connected_ = false;
  if (OnClose) OnClose(this);
}

void TComPort::ApplyBuffers() {
  // The kernel sizes its own queues; the sizes are kept for the line's
  // XON/XOFF limits, which it also chooses itself.
  if (connected_ && !line_.IsOpen()) Raise("Unable to set com state: ", line_.LastError());
}

void TComPort::ApplyTimeouts() {
  // Reads never wait (see ReadStr); the write time-outs are used per write.
  if (connected_ && !line_.IsOpen()) Raise("Unable to set com state: ", line_.LastError());
}

void TComPort::ApplyLineSettings() {
  if (!connected_) return;
  os::SerialLineSettings s;
  s.baud = generator::BaudRateValue(baudRate_);
  s.dataBits = 7 + static_cast<int>(dataBits_);
  s.stopBits = stopBits_ == sbTwoStopBits ? 2 : 1;
  s.parity = static_cast<int>(parity_->Bits());
  s.parityCheck = parity_->Check();
  s.discardNull = discardNull_;
  s.ctsOutFlow = flowControl_->OutCtsFlow();
  s.dsrOutFlow = flowControl_->OutDsrFlow();
  s.dtrControl = static_cast<int>(flowControl_->ControlDtr());
  s.rtsControl = static_cast<int>(flowControl_->ControlRts());
  s.xonXoffOut = flowControl_->XonXoffOut();
  s.xonXoffIn = flowControl_->XonXoffIn();
  if (!line_.Apply(s)) Raise("Unable to set com state: ", line_.LastError());
}

int TComPort::InputCount() {
  const int n = line_.InputCount();
  if (n < 0) Raise("Unable to read com status: ", line_.LastError());
  return n;
}

int TComPort::ReadStr(std::string& str, int count, bool /*wait*/) {
  str.assign(static_cast<std::size_t>(std::max(count, 0)), '\0');
  const long got = line_.Read(str.data(), str.size());
  if (got < 0) {
    str.clear();
    Raise("Operation aborted: ", line_.LastError());
  }
  str.resize(static_cast<std::size_t>(got));
  return static_cast<int>(got);
}

int TComPort::WriteStr(const std::string& str) {
  const long long ms = static_cast<long long>(timeouts_->WriteTotalMultiplier) *
                           static_cast<long long>(str.size()) +
                       timeouts_->WriteTotalConstant;
  const int timeout = static_cast<int>(std::clamp<long long>(ms, 0, INT_MAX));
  const long put = line_.Write(str.data(), str.size(), timeout);
  if (put < 0) Raise("Operation failed: ", line_.LastError());
  return static_cast<int>(put);
}

int TComPort::WaitForLastIO() { return -2; }

void TComPort::AbortAllIO() {
  if (connected_ && !line_.Purge()) Raise("Cannot abort operation: ", line_.LastError());
}

// ---- events --------------------------------------------------------------

// Received characters are announced from the GUI thread's event loop when the
// line becomes readable. While a handler leaves bytes queued (or the line has
// hung up), a short timer takes over, so the loop never spins and new bytes
// are still announced.
void TComPort::StartEvents() {
  if (!events_.count(evRxChar)) return;
  lastReported_ = 0;
  notifier_ = new QSocketNotifier(line_.Fd(), QSocketNotifier::Read);
  QObject::connect(notifier_, &QSocketNotifier::activated, [this] { InputArrived(); });
  rearm_ = std::make_unique<program_clock::Alarm>([this] { RearmTick(); });
}

void TComPort::StopEvents() {
  // The objects may be inside their own signal right now: let the loop free them.
  if (notifier_) {
    notifier_->setEnabled(false);
    notifier_->disconnect();
    notifier_->deleteLater();
    notifier_ = nullptr;
  }
  // An alarm may go inside its own handler.
  rearm_.reset();
}

void TComPort::DispatchRxChar(int count) {
  lastReported_ = count;
  if (!OnRxChar) return;
  std::shared_ptr<bool> alive = alive_;
  // A copy runs: the handler may free the port, and with it OnRxChar.
  const auto handler = OnRxChar;
  handler(this, count);
  if (!*alive || !connected_ || !notifier_) return;
  const int left = line_.InputCount();
  lastReported_ = std::max(left, 0);
  if (left == 0) {
    rearm_->Stop();
    notifier_->setEnabled(true);
  }
}

void TComPort::InputArrived() {
  notifier_->setEnabled(false);
  rearm_->Start(kRearmPeriod);
  const int count = line_.InputCount();
  if (count > 0) DispatchRxChar(count);
}

void TComPort::RearmTick() {
  const int count = line_.InputCount();
  if (count <= 0) {
    lastReported_ = 0;
    rearm_->Stop();
    notifier_->setEnabled(true);
  } else if (count != lastReported_) {
    DispatchRxChar(count);
  }
}

// ---- setters -------------------------------------------------------------

#define COMPORT_LINE_SETTER(Name, Type, field) \
  void TComPort::Name(Type v) {                \
    if (field == v) return;                    \
    field = v;                                 \
    ApplyLineSettings();                       \
  }

COMPORT_LINE_SETTER(SetBaudRate, TBaudRate, baudRate_)
COMPORT_LINE_SETTER(SetStopBits, TStopBits, stopBits_)
COMPORT_LINE_SETTER(SetDataBits, TDataBits, dataBits_)
COMPORT_LINE_SETTER(SetDiscardNull, bool, discardNull_)
COMPORT_LINE_SETTER(SetEventChar, char, eventChar_)

void TComPort::SetPort(TPortType v) {
  if (port_ == v) return;
  port_ = v;
  if (connected_) Open();
}

void TComPort::SetEvents(const TEvents& v) {
  if (events_ == v) return;
  events_ = v;
  if (connected_) {
    StopEvents();
    if (!events_.empty()) StartEvents();
  }
}

void TComPort::SetWriteBufSize(int v) {
  if (writeBufSize_ == v) return;
  writeBufSize_ = v;
  ApplyBuffers();
}

void TComPort::SetReadBufSize(int v) {
  if (readBufSize_ == v) return;
  readBufSize_ = v;
  ApplyBuffers();
}

void TComPort::SetSyncMethod(TSyncMethod v) {
  if (syncMethod_ == v) return;
  if (connected_) throw EComPort("Cannot set SyncMethod while connected");
  syncMethod_ = v;
}

void TComPort::SetParity(const TParity& v) { parity_->Assign(v); }
void TComPort::SetFlowControl(const TFlowControl& v) { flowControl_->Assign(v); }
void TComPort::SetTimeouts(const TComTimeouts& v) { timeouts_->Assign(v); }
