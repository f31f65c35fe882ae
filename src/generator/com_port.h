// The serial-port component of the wave-sequence player: a line opened
// exclusively, its settings, and its events delivered on the GUI thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/os/serial_port.h"
#include "platform/ui/clock.h"
#include "platform/ui/control.h"

class QSocketNotifier;

enum TBaudRate { br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400,
                 br56000, br57600, br115200 };
enum TPortType { COM1, COM2, COM3, COM4, COM5, COM6, COM7, COM8 };
enum TStopBits { sbOneStopBit, sbTwoStopBits };
enum TDataBits { dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDtrFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRtsFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TSyncMethod { smSynchronize, smWindow, smNone };
enum TEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD,
              evRx80Full };
using TEvents = std::set<TEvent>;

// The error the component raises; its text is what the user is shown.
class EComPort : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TComPort;
using TRxCharEvent = std::function<void(TObject* Sender, int Count)>;

namespace generator {

// The device behind each port name; the user may point a name elsewhere
// (a USB adapter is usually /dev/ttyUSB0 or /dev/ttyACM0).
std::string ComPortDevicePath(TPortType port);
void SetComPortDevicePath(TPortType port, const std::string& path);
// "COM1" .. "COM8".
std::string ComPortName(TPortType port);
// The line speed of a rate setting, in baud.
int BaudRateValue(TBaudRate rate);

}  // namespace generator

// Each sub-object re-applies its port's settings when a value changes while
// the port is open.
class TParity {
 public:
  explicit TParity(TComPort* port) : port_(port) {}
  virtual void Assign(const TParity& other);
  virtual ~TParity() = default;
  TParityBits Bits() const { return bits_; }
  bool Check() const { return check_; }
  bool Replace() const { return replace_; }
  char ReplaceChar() const { return replaceChar_; }
  void SetBits(TParityBits v);
  void SetCheck(bool v);
  void SetReplace(bool v);
  void SetReplaceChar(char v);
  // Keeps a choice without sending it; the next settings update sends it.
  void StoreBits(TParityBits v) { bits_ = v; }

 private:
  TComPort* port_;
  TParityBits bits_ = prNone;
  bool check_ = false;
  bool replace_ = false;
  char replaceChar_ = 0;
};

class TFlowControl {
 public:
  explicit TFlowControl(TComPort* port) : port_(port) {}
  virtual void Assign(const TFlowControl& other);
  virtual ~TFlowControl() = default;
  bool OutCtsFlow() const { return outCtsFlow_; }
  bool OutDsrFlow() const { return outDsrFlow_; }
  TDtrFlowControl ControlDtr() const { return controlDtr_; }
  TRtsFlowControl ControlRts() const { return controlRts_; }
  bool XonXoffOut() const { return xonXoffOut_; }
  bool XonXoffIn() const { return xonXoffIn_; }
  void SetOutCtsFlow(bool v);
  void SetOutDsrFlow(bool v);
  void SetControlDtr(TDtrFlowControl v);
  void SetControlRts(TRtsFlowControl v);
  void SetXonXoffOut(bool v);
  void SetXonXoffIn(bool v);

 private:
  void Changed();
  TComPort* port_;
  bool outCtsFlow_ = false;
  bool outDsrFlow_ = false;
  TDtrFlowControl controlDtr_ = dtrDisable;
  TRtsFlowControl controlRts_ = rtsDisable;
  bool xonXoffOut_ = false;
  bool xonXoffIn_ = false;
};

// Milliseconds. A ReadInterval of -1 (the largest unsigned value) makes a
// read return at once with what is queued.
class TComTimeouts {
 public:
  explicit TComTimeouts(TComPort* port) : port_(port) {}
  virtual void Assign(const TComTimeouts& other);
  virtual ~TComTimeouts() = default;
  std::int32_t ReadInterval = -1;
  std::int32_t ReadTotalMultiplier = 0;
  std::int32_t ReadTotalConstant = 0;
  std::int32_t WriteTotalMultiplier = 100;
  std::int32_t WriteTotalConstant = 1000;

 private:
  TComPort* port_;
};

class TComPort : public TComponent {
 public:
  explicit TComPort(TComponent* owner);
  ~TComPort() override;

  void Open();
  void Close();
  bool Connected() const { return connected_; }

  // Bytes waiting in the input queue.
  int InputCount();
  // Reads at most `count` queued bytes into `str` (which is cut to what was
  // read) and returns how many. Never waits and never leaves a read pending,
  // so `wait` changes nothing.
  int ReadStr(std::string& str, int count, bool wait = true);
  // Writes `str` within the write time-outs; returns the bytes written.
  int WriteStr(const std::string& str);
  // Nothing is ever left pending: -2.
  int WaitForLastIO();
  // Throws away what is queued in both directions.
  void AbortAllIO();

  TBaudRate BaudRate() const { return baudRate_; }
  TPortType Port() const { return port_; }
  TStopBits StopBits() const { return stopBits_; }
  TDataBits DataBits() const { return dataBits_; }
  bool DiscardNull() const { return discardNull_; }
  char EventChar() const { return eventChar_; }
  const TEvents& Events() const { return events_; }
  int WriteBufSize() const { return writeBufSize_; }
  int ReadBufSize() const { return readBufSize_; }
  TSyncMethod SyncMethod() const { return syncMethod_; }
  TParity& Parity() { return *parity_; }
  TFlowControl& FlowControl() { return *flowControl_; }
  TComTimeouts& Timeouts() { return *timeouts_; }

  void SetBaudRate(TBaudRate v);
  void SetPort(TPortType v);
  void SetStopBits(TStopBits v);
  void SetDataBits(TDataBits v);
  void SetDiscardNull(bool v);
  void SetEventChar(char v);
  void SetEvents(const TEvents& v);
  void SetWriteBufSize(int v);
  void SetReadBufSize(int v);
  void SetSyncMethod(TSyncMethod v);
  void SetParity(const TParity& v);
  void SetFlowControl(const TFlowControl& v);
  void SetTimeouts(const TComTimeouts& v);

  // Shows "Communication Settings" filled from the properties; OK writes
  // the choices back through the setters.
  void ShowSetupDialog();

  // Sends the current line settings to the open port.
  void ApplyLineSettings();
  void ApplyBuffers();
  void ApplyTimeouts();

  TRxCharEvent OnRxChar;
  TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnCTS, OnDSR, OnRLSD, OnError, OnRxFlag, OnRx80Full;
  TNotifyEvent OnOpen, OnClose;

 private:
  void StartEvents();
  void StopEvents();
  void InputArrived();
  void RearmTick();
  void DispatchRxChar(int count);

  TBaudRate baudRate_ = br9600;
  TPortType port_ = COM1;
  TStopBits stopBits_ = sbOneStopBit;
  TDataBits dataBits_ = dbEight;
  bool discardNull_ = false;
  char eventChar_ = 0;
  TEvents events_{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD,
                  evRx80Full};
  int writeBufSize_ = 1024;
  int readBufSize_ = 1024;
  TSyncMethod syncMethod_ = smSynchronize;
  std::unique_ptr<TParity> parity_;
  std::unique_ptr<TFlowControl> flowControl_;
  std::unique_ptr<TComTimeouts> timeouts_;

  os::SerialPort line_;
  bool connected_ = false;
  QSocketNotifier* notifier_ = nullptr;
  std::unique_ptr<program_clock::Alarm> rearm_;
  static constexpr std::chrono::milliseconds kRearmPeriod{20};
  int lastReported_ = 0;
  // Cleared when the component goes away, so a handler that frees it is safe.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
