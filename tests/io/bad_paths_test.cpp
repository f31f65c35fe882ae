// Every reader of a file the user picks, given names that are no good file:
// a folder, a named pipe, a file it may not read, one whose read fails, an
// empty one, one above its size, and a good file under a name that is not
// UTF-8. Each says why (naming the file), leaves what it would have changed
// as it was, and never waits.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/windows.h"
#include "bode/bode_plot.h"
#include "display/history_state.h"
#include "engine/startup_fixture.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "generator/wave_editor.h"
#include "generator/wave_sequence.h"
#include "io/png_file.h"
#include "io/scope_data_file.h"
#include "io/scope_file_error.h"
#include "recorder/recorder_file.h"
#include "recorder/recorder_file_error.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"
#include "support/program_states.h"

namespace {

std::string Bytes(const QImage& image) {
  return std::string(reinterpret_cast<const char*>(image.constBits()), static_cast<std::size_t>(image.sizeInBytes()));
}
template <typename Container>
std::string Bytes(const Container& c) {
  return std::string(reinterpret_cast<const char*>(c.data()), c.size() * sizeof(c[0]));
}

std::string PngOf(QRgb colour) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(colour);
  return io::EncodePng(image).value_or("");
}

struct Reader {
  const char* name;
  std::string extension;
  std::uintmax_t limit;               // the largest file it reads
  std::string good;                   // a file it takes
  std::string empty;                  // what it says of an empty file ("" takes it)
  std::function<void()> open;         // the user's command, the file chosen in its dialog
  std::function<std::string()> state; // what a taken file changes
};

class BadPaths : public startup_test::StartupTest {
 protected:
  std::string Label() const {
    return (Form5 ? Form5->Label1->Caption() : "") + (Form5_rec ? Form5_rec->Label1->Caption() : "");
  }
  // Everything the attempt showed: message boxes and "File Error" windows.
  std::string Shown() {
    std::string shown;
    for (const auto& m : Dialogs().Messages()) shown += m.Text + "|";
    if (!Dialogs().Forms().empty()) shown += Label();
    return shown;
  }
};

TEST_F(BadPaths, EveryReaderSaysWhyAndChangesNothing) {
  StartAndRun();
  const std::string dir = harness_->Home().Path() + "/picked/";
  std::filesystem::create_directories(dir);

  io::ScopeDataFile scope;
  scope.TimeDivText = "0.5ms";
  scope.Ch1RangeText = scope.Ch2RangeText = "1V";
  scope.Ch1.fill(77);
  scope.Ch2.fill(99);
  std::string log = recorder::FormatAutoSaveHeader({"a\tb", "c\td", "1s", "1V", "1V"});
  for (int n = 0; n < 30; ++n) log += recorder::FormatAutoSaveRow(n, 40, 200);

  const Reader readers[] = {
      {"Open DSO Data", ".txt", 1u << 20, io::FormatScopeDataFile(scope), "Line 1: the file ends here",
       [] { Form1->OpenData1->Click(); },
       [] { return Bytes(ScopeState().ScopeSampleBlock) + ScopeState().DataFileName; }},
      {"Recall Oscilloscope Settings", ".set", 1u << 20, "[TIME]\r\n10MS=1\r\n", "It holds no settings",
       [] { Form1->RecallSettings1->Click(); },
       [] { return ScopeState().TimeDivText + std::to_string(ScopeState().DbmOn) + std::to_string(ScopeState().SampleRateOn); }},
      {"Open History", ".hst", 16u << 20, std::string(8201193, '\x05'), "It holds only 0 bytes",
       [] { Form1->OpenHistory1->Click(); },
       [] { return Bytes(HistoryState().HistoryBuffer) + std::to_string(HistoryState().HistoryIndex); }},
      {"Open Image", ".png", 512u << 20, PngOf(qRgb(10, 200, 30)), "Not a PNG file",
       [] { Form1->Open1->Click(); }, [] { return Bytes(Form1->Image1->Picture()->Image()); }},
      {"Recorder Open Data", ".txt", 256u << 20, log, "is not a valid Tolmeda data file.\nLine 5",
       [] { Form1_rec->OpenData1->Click(); },
       [] { return Bytes(Form1_rec->RecBufCh1) + Bytes(Form1_rec->RecBufCh2) + CreatedRecorderState().RecFileName; }},
      {"Bode Open Data", ".txt", 16u << 20, "  Hz\t Vrms\tdBV\tdeg\r\n100.0\t1.000\t0.000\r\n", "holds no data",
       [] { Bode_plot->OpenData1->Click(); }, [] { return Bode_plot->Memo1->Text() + Bode_plot->Caption(); }},
      {"Bode Open Image", ".png", 512u << 20, PngOf(qRgb(200, 10, 30)), "Not a PNG file",
       [] { Bode_plot->OpenImage1->Click(); },
       [] { return Bytes(Bode_plot->Image1->Picture()->Image()) + Bode_plot->Caption(); }},
      {"Library waveform", ".lib", 4u << 20, "0\r\n255\r\n", "It holds no waveform",
       [] { Form1_fgen->file1_count(); },
       [] { return Bytes(Form1_fgen->GeneratorState.BaseTable) + Form1_fgen->Caption(); }},
      {"Wave sequence", ".txt", 4u << 20, "1\t1000\t0\t5\t2\r\n", "",
       [] { Form900->Button2->Click(); }, [] { return Form900->Memo1->Text() + Form900->Caption(); }},
      {"Wave editor", ".lib", 4u << 20, "0\r\n128\r\n255\r\n", "",
       [] { Wave_editor1->Open1Click(Wave_editor1); },
       [] { return Wave_editor1->Memo1->Text() + Wave_editor1->Caption(); }},
  };

  struct BadPath {
    const char* name;
    std::string reason;  // what the message gives as the reason; "" = the reader's own
    std::function<std::string(const Reader&, const std::string& base)> make;  // the path, or "" to leave out
  };
  const auto write = [](const std::string& path, const std::string& bytes) {
    startup_test::WriteText(path, bytes);
    return path;
  };
  const BadPath paths[] = {
      {"a folder", "Is a directory",
       [](const Reader&, const std::string& base) {
         std::filesystem::create_directory(base);
         return base;
       }},
      {"a named pipe", "Is a named pipe, not a file",
       [](const Reader&, const std::string& base) {
         EXPECT_EQ(::mkfifo(base.c_str(), 0600), 0);
         return base;
       }},
      {"a file it may not read", "Permission denied",
       [&](const Reader& r, const std::string& base) -> std::string {
         // Permissions do not stop the superuser: the row then cannot show a refusal.
         if (::geteuid() == 0) {
           static bool told = false;
           if (!told) std::cout << "[ NOTE ] run as root: no file is unreadable, that row is left out\n";
           told = true;
           return "";
         }
         write(base, r.good);
         ::chmod(base.c_str(), 0);
         return base;
       }},
      // A regular file whose every read fails, for root too.
      {"a file whose read fails", "Input/output error",
       [](const Reader&, const std::string& base) {
         std::filesystem::create_symlink("/proc/self/mem", base);
         return base;
       }},
      {"an empty file", "", [&](const Reader&, const std::string& base) { return write(base, ""); }},
      {"a file above the size", "File too large",
       [&](const Reader& r, const std::string& base) {
         write(base, "");
         std::filesystem::resize_file(base, r.limit + 1);
         return base;
       }},
  };

  int row = 0;
  for (const Reader& r : readers) {
    for (const BadPath& p : paths) {
      SCOPED_TRACE(std::string(r.name) + ", " + p.name);
      const std::string path = p.make(r, dir + "bad" + std::to_string(++row) + r.extension);
      if (path.empty()) continue;
      const std::string reason = p.reason.empty() ? r.empty : p.reason;
      const std::string before = r.state();
      Form5->Label1->SetCaption("");
      Form5_rec->Label1->SetCaption("");
      Dialogs().ClearRecords();
      Dialogs().AnswerFile(path);
      // Should the reader wait on the pipe, a writer comes and goes after a
      // while, so that the test ends and tells how long it waited.
      std::atomic<bool> done{false};
      std::thread writer([&] {
        for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done) return;
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
      });
      const auto start = std::chrono::steady_clock::now();
      r.open();
      const auto waited = std::chrono::steady_clock::now() - start;
      done = true;
      writer.join();
      EXPECT_LT(waited, std::chrono::seconds(2));

      const std::string shown = Shown();
      if (reason.empty()) {
        EXPECT_EQ(shown, "");
        continue;
      }
      EXPECT_NE(shown.find(reason), std::string::npos) << shown;
      EXPECT_NE(shown.find(std::filesystem::path(path).filename().string()), std::string::npos) << shown;
      EXPECT_EQ(Dialogs().Messages().size() + Dialogs().Forms().size(), 1u) << shown;
      EXPECT_TRUE(r.state() == before);
    }

    // A good file under a name that is not UTF-8 is taken.
    SCOPED_TRACE(std::string(r.name) + ", a name that is not UTF-8");
    const std::string odd = write(dir + "m\xE4\xFF\xFE" + std::to_string(++row) + r.extension, r.good);
    const std::string before = r.state();
    Dialogs().ClearRecords();
    Dialogs().AnswerFile(odd);
    r.open();
    EXPECT_EQ(Shown(), "");
    EXPECT_FALSE(r.state() == before);
  }
}

}  // namespace
