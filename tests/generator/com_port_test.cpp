// The serial-port component against a pseudo-terminal: the test holds the
// far end (master) and the slave stands in for the COM port's device.
#include "generator/com_port.h"

#include "generator/comm_settings.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char kPortInUse[] =
    "The selected COM port is either not supported or is being used by another device.\r"
    "Select another port.";

class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    slavePath_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    generator::SetComPortDevicePath(COM2, slavePath_);
  }
  void TearDown() override {
    generator::SetComPortDevicePath(COM2, "/dev/ttyS1");
    close(slave_);
    close(master_);
  }
  termios LineNow() {
    termios t{};
    EXPECT_EQ(tcgetattr(slave_, &t), 0);
    return t;
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Runs the event loop until `done` holds or a second has passed.
  static bool PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
  }
  std::string ReadFarEnd() {
    std::string got;
    char buf[256];
    PumpUntil([&] {
      ssize_t n = read(master_, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<size_t>(n));
      return false;
    });
    return got;
  }

  int master_ = -1, slave_ = -1;
  std::string slavePath_;
};

TEST_F(ComPortTest, OpensARawLineWithTheChosenSettingsAndAppliesClosedChangesAtTheNextOpen) {
  struct Case {
    const char* what;
    std::function<void(TComPort&)> set;
    speed_t speed;
    tcflag_t size;
    bool twoStop;
    tcflag_t parity;  // PARENB | PARODD | CMSPAR bits
    tcflag_t iflow;   // IXON | IXOFF
    bool rtscts;
  };
  const std::vector<Case> cases = {
      {"defaults", [](TComPort&) {}, B9600, CS8, false, 0, 0, false},
      {"115200 7E2",
       [](TComPort& p) {
         p.SetBaudRate(br115200);
         p.SetDataBits(dbSeven);
         p.SetStopBits(sbTwoStopBits);
         p.Parity().SetBits(prEven);
       },
       B115200, CS7, true, PARENB, 0, false},
      {"110 odd", [](TComPort& p) { p.SetBaudRate(br110); p.Parity().SetBits(prOdd); }, B110, CS8,
       false, PARENB | PARODD, 0, false},
      {"mark", [](TComPort& p) { p.Parity().SetBits(prMark); }, B9600, CS8, false,
       PARENB | PARODD | CMSPAR, 0, false},
      {"space", [](TComPort& p) { p.Parity().SetBits(prSpace); }, B9600, CS8, false,
       PARENB | CMSPAR, 0, false},
      {"xon/xoff both",
       [](TComPort& p) {
         p.FlowControl().SetXonXoffIn(true);
         p.FlowControl().SetXonXoffOut(true);
       },
       B9600, CS8, false, 0, IXON | IXOFF, false},
      {"rts handshake", [](TComPort& p) { p.FlowControl().SetControlRts(rtsHandshake); }, B9600,
       CS8, false, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TComPort port(nullptr);
    port.SetPort(COM2);
    c.set(port);
    port.Open();
    ASSERT_TRUE(port.Connected());
    termios t = LineNow();
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(cfgetispeed(&t), c.speed);
    // A pseudo-terminal always reports eight data bits.
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8)) << c.size;
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStop);
    // A pseudo-terminal keeps the parity kind but drops the enable bit.
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR), c.parity & (PARODD | CMSPAR));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), c.iflow);
    EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.rtscts);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    // Bytes pass untouched: no echo, no line editing, no CR/LF translation.
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    // A change while closed waits for the next open.
    port.Close();
    port.SetBaudRate(c.speed == B19200 ? br38400 : br19200);
    const speed_t wanted = c.speed == B19200 ? B38400 : B19200;
    t = LineNow();
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    port.Open();
    t = LineNow();
    EXPECT_EQ(cfgetospeed(&t), wanted);
    // While open a change applies at once.
    port.SetBaudRate(br4800);
    t = LineNow();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B4800));
  }
}

TEST_F(ComPortTest, APortInUseOrMissingGivesTheMessageAndStaysClosed) {
  TComPort first(nullptr), second(nullptr);
  first.SetPort(COM2);
  second.SetPort(COM2);
  bool secondOpened = false;
  second.OnOpen = [&](TObject*) { secondOpened = true; };
  first.Open();
  for (const char* path : {slavePath_.c_str(), "/nonexistent/ttyS9"}) {
    SCOPED_TRACE(path);
    generator::SetComPortDevicePath(COM2, path);
    try {
      second.Open();
      ADD_FAILURE() << "the second open succeeded";
    } catch (const EComPort& e) {
      EXPECT_STREQ(e.what(), kPortInUse);
    }
    EXPECT_FALSE(second.Connected());
    EXPECT_FALSE(secondOpened);
  }
  // The holder is untouched and, once it lets go, the port opens.
  EXPECT_TRUE(first.Connected());
  EXPECT_EQ(first.WriteStr("ok"), 2);
  EXPECT_EQ(ReadFarEnd(), "ok");
  first.Close();
  generator::SetComPortDevicePath(COM2, slavePath_);
  second.Open();
  EXPECT_TRUE(second.Connected());
  EXPECT_TRUE(secondOpened);
  try {
    second.SetSyncMethod(smNone);
    ADD_FAILURE() << "SyncMethod changed while connected";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), "Cannot set SyncMethod while connected");
  }
}

TEST_F(ComPortTest, BurstsAndSplitLinesArriveWholeInOrderOnTheGuiThread) {
  TComPort port(nullptr);
  port.SetPort(COM2);
  std::string received;
  std::vector<std::pair<int, int>> countAndRead;
  port.OnRxChar = [&](TObject* sender, int count) {
    EXPECT_EQ(sender, &port);
    std::string chunk;
    // With the default time-outs the queued count is read at once, whole.
    const int got = port.ReadStr(chunk, count);
    countAndRead.emplace_back(count, got);
    received += chunk;
  };
  port.Open();
  const std::vector<std::string> pieces = {"1\t100\t2\r\n2\t200\t1\r\n3\t300\t5\r\n", "4\t40",
                                           "0\t1\r", "\n5\t500\t", "9\r\n"};
  std::string sent;
  for (const std::string& piece : pieces) {
    Send(piece);
    sent += piece;
    ASSERT_TRUE(PumpUntil([&] { return received == sent; })) << received;
  }
  EXPECT_EQ(received, "1\t100\t2\r\n2\t200\t1\r\n3\t300\t5\r\n4\t400\t1\r\n5\t500\t9\r\n");
  for (auto [count, got] : countAndRead) EXPECT_EQ(count, got);

  // Bytes a handler leaves queued are announced again when more arrive,
  // without the event loop spinning meanwhile.
  int calls = 0;
  int lastCount = 0;
  port.OnRxChar = [&](TObject*, int count) {
    ++calls;
    lastCount = count;
  };
  Send("abc");
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));
  PumpUntil([] { return false; });
  EXPECT_EQ(calls, 1);
  Send("de");
  ASSERT_TRUE(PumpUntil([&] { return lastCount == 5; }));
  std::string rest;
  EXPECT_EQ(port.ReadStr(rest, 100), 5);
  EXPECT_EQ(rest, "abcde");
}

TEST_F(ComPortTest, AHandlerMayCloseOrFreeThePortAndWritesReachTheLine) {
  auto* port = new TComPort(nullptr);
  port->SetPort(COM2);
  int closes = 0;
  port->OnClose = [&](TObject*) { ++closes; };
  port->OnRxChar = [&](TObject*, int) { port->Close(); };
  port->Open();
  EXPECT_EQ(port->WriteStr("2\t1000\t1\r\n"), 10);
  EXPECT_EQ(ReadFarEnd(), "2\t1000\t1\r\n");
  Send("x");
  ASSERT_TRUE(PumpUntil([&] { return closes == 1; }));
  EXPECT_FALSE(port->Connected());
  EXPECT_THROW(port->InputCount(), EComPort);
  Send("y");
  PumpUntil([] { return false; });
  EXPECT_EQ(closes, 1);

  // Freed inside its own handler: no further call reaches it.
  port->OnRxChar = [&](TObject*, int) { delete port; port = nullptr; };
  port->Open();
  Send("z");
  ASSERT_TRUE(PumpUntil([&] { return port == nullptr; }));
  PumpUntil([] { return false; });
}

TEST_F(ComPortTest, SettingsDialogPresetsAndOkReachTheOpenLineCancelKeepsAll) {
  ScriptedDialogs dialogs;
  TComPort port(nullptr);
  port.SetPort(COM2);
  port.Open();
  // Cancel after changes keeps everything.
  dialogs.AnswerModal([](TForm& f) {
    auto& d = dynamic_cast<TCommFrm&>(f);
    d.ComboBox2->SetItemIndex(br115200);
    d.Button1->Click();
    return mrCancel;
  });
  port.ShowSetupDialog();
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.FlowControl().ControlRts(), rtsDisable);

  struct Seen {
    int rts, dtr;
    bool cts, dsr, xout, xin;
  };
  std::vector<Seen> seen;
  dialogs.AnswerModal([&](TForm& f) {
    auto& d = dynamic_cast<TCommFrm&>(f);
    EXPECT_EQ(d.Caption(), "Communication Settings");
    EXPECT_EQ(d.ComboBox1->Text(), "COM 2");
    EXPECT_EQ(d.Edit1->Text(), slavePath_);
    auto look = [&] {
      seen.push_back({d.RadioGroup1.ItemIndex(), d.RadioGroup2.ItemIndex(), d.CheckBox1->Checked(),
                      d.CheckBox2->Checked(), d.CheckBox3->Checked(), d.CheckBox4->Checked()});
    };
    for (TButton* preset : {d.Button1, d.Button4, d.Button2, d.Button4, d.Button3}) {
      preset->Click();
      look();
    }
    d.ComboBox2->SetItemIndex(br57600);
    d.Button5->Click();
    return mrNone;
  });
  port.ShowSetupDialog();
  const std::vector<Seen> wanted = {
      {rtsHandshake, dtrDisable, true, false, false, false},  // Hardware (Rts/Cts)
      {rtsDisable, dtrDisable, false, false, false, false},   // Clear all
      {rtsDisable, dtrEnable, false, true, false, false},     // Hardware (Dtr/Dsr)
      {rtsDisable, dtrDisable, false, false, false, false},   // Clear all
      {rtsDisable, dtrDisable, false, false, true, true},     // Software (Xon/Xoff)
  };
  ASSERT_EQ(seen.size(), wanted.size());
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].rts, wanted[i].rts);
    EXPECT_EQ(seen[i].dtr, wanted[i].dtr);
    EXPECT_EQ(seen[i].cts, wanted[i].cts);
    EXPECT_EQ(seen[i].dsr, wanted[i].dsr);
    EXPECT_EQ(seen[i].xout, wanted[i].xout);
    EXPECT_EQ(seen[i].xin, wanted[i].xin);
  }
  // The open line took the choices at once.
  termios t = LineNow();
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_TRUE(port.Connected());
}

}  // namespace
