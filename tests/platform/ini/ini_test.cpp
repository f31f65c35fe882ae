#include "platform/ini/ini_file.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/file_watch.h"
#include "support/temp_home.h"

namespace {

void WriteRaw(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> FolderEntries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class IniFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return home_.Path() + "/" + name; }
  TempHome home_;
};

TEST_F(IniFileTest, NamesMatchWithoutCaseAndKeepTheirSpellingInTheFile) {
  const std::string path = PathOf("Darvik48.ini");
  WriteRaw(path, "[Menu]\nHide_Scope=1\n");
  TIniFile ini(path);
  EXPECT_TRUE(ini.ReadBool("menu", "hide_scope", false));
  EXPECT_TRUE(ini.ValueExists("MENU", "HIDE_SCOPE"));
  EXPECT_TRUE(ini.WriteBool("Menu", "Hide_scope", false));
  EXPECT_EQ(ReadRaw(path), "[Menu]\nHide_Scope=0\n");
  EXPECT_EQ(ini.FileName(), path);
}

TEST_F(IniFileTest, WritesKeepOrderAndEveryOtherLine) {
  const std::string path = PathOf("order.ini");
  WriteRaw(path,
           "; written by hand\n"
           "[Alpha]\n"
           "one = 1\n"
           "just text\n"
           "two=2\n"
           "\n"
           "[Beta]\n"
           "b=x\n");
  TIniFile ini(path);
  ASSERT_TRUE(ini.WriteString("alpha", "Three", "3"));
  ASSERT_TRUE(ini.WriteString("ALPHA", "ONE", "uno"));
  ASSERT_TRUE(ini.WriteInteger("Gamma", "g", -5));
  EXPECT_EQ(ReadRaw(path),
            "; written by hand\n"
            "[Alpha]\n"
            "one=uno\n"
            "just text\n"
            "two=2\n"
            "Three=3\n"
            "\n"
            "[Beta]\n"
            "b=x\n"
            "\n"
            "[Gamma]\n"
            "g=-5\n");
  EXPECT_EQ(ini.ReadSection("alpha"), (std::vector<std::string>{"one", "two", "Three"}));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));

  // A new file starts without a leading blank line.
  TIniFile fresh(PathOf("fresh.ini"));
  ASSERT_TRUE(fresh.WriteString("S", "k", "v"));
  ASSERT_TRUE(fresh.WriteString("T", "k", "v"));
  EXPECT_EQ(ReadRaw(PathOf("fresh.ini")), "[S]\nk=v\n\n[T]\nk=v\n");
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyOfANameWin) {
  const std::string path = PathOf("dup.ini");
  WriteRaw(path, "[S]\nk=first\nK=second\n[s]\nk=third\nother=1\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("S", "k", ""), "first");
  EXPECT_FALSE(ini.ValueExists("S", "other"));
  EXPECT_EQ(ini.ReadSection("S"), (std::vector<std::string>{"k"}));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"S"}));
}

// A file of 300,000 sections (7 MB) and a section of 100,000 keys: reading
// it whole, key by key as the settings snapshot once did, and writing into
// it take time in proportion to its size, and the first section and key of
// a name still win.
TEST_F(IniFileTest, LargeFilesAreReadLookedUpAndWrittenInTimeOfTheirSize) {
  constexpr int kSections = 300000, kWideKeys = 100000;
  std::string text = "[Head]\nfirst=1\n";
  for (int i = 0; i < kSections; ++i) text += "[S" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
  text += "[Wide]\n";
  for (int j = 0; j < kWideKeys; ++j) text += "w" + std::to_string(j) + "=" + std::to_string(j) + "\n";
  text += "W5=late\n[s7]\nk=late\n[WIDE]\nw1=late\n";
  ASSERT_GT(text.size(), 6u << 20);
  const std::string path = PathOf("large.ini");
  WriteRaw(path, text);

  const auto start = std::chrono::steady_clock::now();
  TIniFile ini(path);
  const std::vector<TIniFile::Value> values = ini.ReadAllValues();
  std::size_t keys = 0;
  const std::vector<std::string> sections = ini.ReadSections();
  for (const std::string& section : sections)
    for (const std::string& key : ini.ReadSection(section)) {
      ASSERT_EQ(ini.ReadString(section, key, "?"), values[keys].Text) << section << "/" << key;
      ++keys;
    }
  {
    IniWriteBatch batch(ini);
    ini.WriteInteger("wide", "added", 1);
    ini.WriteInteger("S299999", "K", -1);
    ini.WriteString("New", "x", "y");
    ASSERT_TRUE(batch.Commit());
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // Well under a second on an idle machine; the margin is for sanitizer
  // builds on a busy one (the time once grew with the square of the count:
  // hours for this file).
  EXPECT_LT(elapsed, std::chrono::seconds(30))
      << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << " ms";

  ASSERT_EQ(values.size(), 1u + kSections + kWideKeys);
  EXPECT_EQ(keys, values.size());
  EXPECT_EQ(sections.size(), 1u + kSections + 1);
  EXPECT_EQ(values[0].Section + "/" + values[0].Key + "=" + values[0].Text, "Head/first=1");
  EXPECT_EQ(ini.ReadString("s7", "K", ""), "7");
  EXPECT_EQ(ini.ReadString("wide", "W5", ""), "5");
  EXPECT_EQ(ini.ReadString("Wide", "w1", ""), "1");
  EXPECT_EQ(values.back().Key + "=" + values.back().Text, "w99999=99999");
  // Every other byte of the file stays.
  std::string expected = text;
  expected.replace(expected.find("[S299999]\nk=299999\n"), 19, "[S299999]\nk=-1\n");
  expected.insert(expected.find("W5=late\n") + 8, "added=1\n");
  expected += "\n[New]\nx=y\n";
  EXPECT_TRUE(ReadRaw(path) == expected);
}

TEST_F(IniFileTest, IntegersHexDecimalAndUnparsableValues) {
  const std::string path = PathOf("int.ini");
  WriteRaw(path,
           "[I]\n"
           "hex=0x1F\nHEX2=0XfF\ncolour=0xDC0000\nallones=0xFFFFFFFF\ntoobig=0x100000000\n"
           "bare=0x\nneg=-12\nplus=+7\nspaced=   42   \nquoted=\"17\"\n"
           "trailing=12abc\nword=abc\nfloat=3.5\nempty=\nover=2147483648\nunder=-2147483649\n"
           "min=-2147483648\nneghex=-0x10\nplusminus=+-3\ndollar=$10\n");
  TIniFile ini(path);
  struct Case {
    const char* key;
    int expected;
  } cases[] = {
      {"hex", 31},          {"HEX2", 255},       {"colour", 0xDC0000}, {"allones", -1},
      {"toobig", -99},      {"bare", -99},       {"neg", -12},         {"plus", 7},
      {"spaced", 42},       {"quoted", 17},      {"trailing", -99},    {"word", -99},
      {"float", -99},       {"empty", -99},      {"over", -99},        {"under", -99},
      {"min", INT32_MIN},   {"neghex", -99},     {"plusminus", -99},   {"dollar", -99},
      {"missing", -99},
  };
  for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger("i", c.key, -99), c.expected) << c.key;

  ASSERT_TRUE(ini.WriteInteger("Out", "n", -2147483647 - 1));
  EXPECT_EQ(ini.ReadString("Out", "n", ""), "-2147483648");
}

TEST_F(IniFileTest, BooleansAreIntegersWrittenAsOneAndZero) {
  const std::string path = PathOf("bool.ini");
  WriteRaw(path, "[B]\none=1\nzero=0\nfive=5\nhexzero=0x0\nyes=yes\ntrue=true\n");
  TIniFile ini(path);
  EXPECT_TRUE(ini.ReadBool("B", "one", false));
  EXPECT_FALSE(ini.ReadBool("B", "zero", true));
  EXPECT_TRUE(ini.ReadBool("B", "five", false));
  EXPECT_FALSE(ini.ReadBool("B", "hexzero", true));
  for (bool def : {false, true}) {
    EXPECT_EQ(ini.ReadBool("B", "yes", def), def);
    EXPECT_EQ(ini.ReadBool("B", "true", def), def);
    EXPECT_EQ(ini.ReadBool("B", "missing", def), def);
  }
  ASSERT_TRUE(ini.WriteBool("W", "on", true));
  ASSERT_TRUE(ini.WriteBool("W", "off", false));
  EXPECT_EQ(ReadRaw(path).substr(ReadRaw(path).find("[W]")), "[W]\non=1\noff=0\n");
}

TEST_F(IniFileTest, FloatsWriteWithPointAndReadPointOrComma) {
  const std::string path = PathOf("float.ini");
  TIniFile ini(path);
  ASSERT_TRUE(ini.WriteFloat("Signal", "Frequency", 0.1));
  ASSERT_TRUE(ini.WriteFloat("Signal", "Third", 1.0 / 3.0));
  ASSERT_TRUE(ini.WriteFloat("Signal", "Big", 2.5e20));
  ASSERT_TRUE(ini.WriteFloat("Signal", "Whole", 1000.0));
  EXPECT_EQ(ini.ReadString("Signal", "Frequency", ""), "0.1");
  EXPECT_EQ(ini.ReadString("Signal", "Third", ""), "0.333333333333333");
  EXPECT_EQ(ini.ReadString("Signal", "Whole", ""), "1000");
  EXPECT_NEAR(ini.ReadFloat("Signal", "Third", 0), 1.0 / 3.0, 1e-15);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Signal", "Big", 0), 2.5e20);

  WriteRaw(path,
           "[F]\ncomma=2,5\npoint=2.5\nexp=-1.5e3\nplus=+0.25\nlead=.5\nword=abc\nboth=1,2.3\n"
           "nan=nan\ninf=inf\nhuge=1e400\nhalf=1e\nempty=\n");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "comma", 0), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "point", 0), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "exp", 0), -1500.0);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "plus", 0), 0.25);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "lead", 0), 0.5);
  for (const char* key : {"word", "both", "nan", "inf", "huge", "half", "empty", "missing"})
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", key, 7.25), 7.25) << key;
}

TEST_F(IniFileTest, ValuesAreTrimmedUnquotedAndCutAt2047Characters) {
  const std::string path = PathOf("long.ini");
  const std::string exact(2047, 'e');
  const std::string longer(3000, 'a');
  // 2046 ASCII bytes and a two-byte character across the limit.
  const std::string split = std::string(2046, 'u') + "\xC3\xA9" + "tail";
  WriteRaw(path, "[S]\nexact=" + exact + "\nlong=" + longer + "\nquotedlong=\"" + longer +
                     "\"\nsplit=" + split +
                     "\n  spaced  =   \"  inner  \"   \nsingle='x'\nhalfquote=\"x\nnothing=\"\"\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("S", "exact", ""), exact);
  EXPECT_EQ(ini.ReadString("S", "long", ""), longer.substr(0, 2047));
  EXPECT_EQ(ini.ReadString("S", "quotedlong", ""), longer.substr(0, 2047));
  EXPECT_EQ(ini.ReadString("S", "split", ""), std::string(2046, 'u'));
  EXPECT_EQ(ini.ReadString("S", "spaced", ""), "  inner  ");
  EXPECT_EQ(ini.ReadString("S", "single", ""), "x");
  EXPECT_EQ(ini.ReadString("S", "halfquote", ""), "\"x");
  EXPECT_EQ(ini.ReadString("S", "nothing", "def"), "");

  // Another write keeps the long value whole in the file.
  ASSERT_TRUE(ini.WriteString("S", "new", "1"));
  EXPECT_NE(ReadRaw(path).find("long=" + longer + "\n"), std::string::npos);
}

TEST_F(IniFileTest, LineBreaksInAValueCannotForgeKeysOrSections) {
  TIniFile ini(PathOf("inject.ini"));
  ASSERT_TRUE(ini.WriteString("S", "text", "a\r\n[Evil]\nk=1"));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"S"}));
  EXPECT_EQ(ini.ReadString("S", "text", ""), "a  [Evil] k=1");
}

TEST_F(IniFileTest, MalformedFilesReadWhatTheyCan) {
  struct Case {
    const char* what;
    std::string content;
    const char* expected_k;  // value of [S] k, nullptr: default
  };
  std::string long_line(1 << 20, 'x');
  const Case cases[] = {
      {"CR LF", "[S]\r\nk=crlf\r\n", "crlf"},
      {"CR only", "[S]\rk=cr\r", "cr"},
      {"byte-order mark", "\xEF\xBB\xBF[S]\nk=bom\n", "bom"},
      {"missing bracket", "[S\nk=open\n", "open"},
      {"text after bracket", "[S] ; note\nk=after\n", "after"},
      {"lines without equals", "[S]\nnothing here\n=novalue\nk=found\n", "found"},
      {"key before any section", "k=orphan\n[S]\nother=1\n", nullptr},
      {"comment", "[S]\n;k=commented\n", nullptr},
      {"empty file", "", nullptr},
      {"very long line", "[S]\n" + long_line + "\nk=afterlong\n", "afterlong"},
      {"long line without end", "[S]\nk=" + long_line, nullptr},
  };
  for (const Case& c : cases) {
    const std::string path = PathOf("bad.ini");
    WriteRaw(path, c.content);
    TIniFile ini(path);
    std::string v = ini.ReadString("S", "k", "<default>");
    if (c.expected_k)
      EXPECT_EQ(v, c.expected_k) << c.what;
    else if (std::string(c.what) == "long line without end")
      EXPECT_EQ(v, long_line.substr(0, 2047)) << c.what;
    else
      EXPECT_EQ(v, "<default>") << c.what;
    EXPECT_EQ(ini.ReadInteger("S", "k", 5), 5) << c.what;
    // Writing into it works and reads back.
    EXPECT_TRUE(ini.WriteString("S", "added", "yes")) << c.what;
    EXPECT_EQ(TIniFile(path).ReadString("S", "added", ""), "yes") << c.what;
  }

  // CR LF lines come back with LF, their text unchanged.
  const std::string path = PathOf("crlf.ini");
  WriteRaw(path, "\xEF\xBB\xBF[S]\r\nk = v\r\njunk\r\n");
  TIniFile ini(path);
  ASSERT_TRUE(ini.WriteString("S", "n", "1"));
  EXPECT_EQ(ReadRaw(path), "\xEF\xBB\xBF[S]\nk = v\njunk\nn=1\n");
}

TEST_F(IniFileTest, BinaryGarbageNeverCrashesNorIsWrittenOver) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(4096 + round * 997, '\0');
    for (char& b : bytes) b = static_cast<char>(rng());
    // Some structure inside the noise.
    bytes.insert(bytes.size() / 2, "\n[S]\nk=0x10\n");
    const std::string path = PathOf("garbage.ini");
    WriteRaw(path, bytes);
    TIniFile ini(path);
    EXPECT_TRUE(ini.ReadSections().empty());
    EXPECT_TRUE(ini.ReadSection("S").empty());
    EXPECT_EQ(ini.ReadString("S", "k", "<default>"), "<default>");
    EXPECT_EQ(ini.Problem(), "Holds binary data, not text");
    EXPECT_FALSE(ini.WriteInteger("Written", "n", round));
    EXPECT_EQ(ReadRaw(path), bytes);
  }
  // One byte no editor writes is enough; the program writes none.
  const std::string nul = PathOf("nul.ini");
  const std::string bytes("[S]\nk=ab\0cd\n", 12);
  WriteRaw(nul, bytes);
  EXPECT_FALSE(TIniFile(nul).WriteString("S", "k", "new"));
  EXPECT_EQ(ReadRaw(nul), bytes);
  const std::string written = PathOf("written.ini");
  EXPECT_TRUE(TIniFile(written).WriteString("S", "k", "a\x01\x1b" "b"));
  EXPECT_EQ(ReadRaw(written), "[S]\nk=a  b\n");
  EXPECT_EQ(TIniFile(written).Problem(), "");
}

TEST_F(IniFileTest, DirectoryInPlaceOfTheFileGivesDefaultsAndFailedWrites) {
  const std::string path = PathOf("folder.ini");
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("S", "k", 3), 3);
  EXPECT_FALSE(ini.WriteInteger("S", "k", 4));
  EXPECT_TRUE(ini.LastWriteFailed());
  EXPECT_EQ(ini.WriteFailureMessage(), "Unable to write to " + path);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(FolderEntries(home_.Path()), (std::vector<std::string>{"folder.ini"}));
}

TEST_F(IniFileTest, FifoInPlaceOfTheFileIsNeverWaitedOn) {
  const std::string path = PathOf("fifo.ini");
  FifoWithRescue fifo(path, std::chrono::milliseconds(3000));
  ASSERT_TRUE(fifo.Made());
  const auto start = std::chrono::steady_clock::now();
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("Menu", "Dot_Join", 7), 7);
  EXPECT_FALSE(ini.WriteInteger("Menu", "Dot_Join", 1));
  EXPECT_EQ(ini.WriteFailureMessage(), "Unable to write to " + path);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(FolderEntries(home_.Path()), (std::vector<std::string>{"fifo.ini"}));
}

// The same edits, one by one to one file and in one batch to a copy.
TEST_F(IniFileTest, BatchWritesTheFileOnceWithTheBytesOfSingleWrites) {
  const std::string initial = "; kept\n[Menu]\nDot_Join=1\n\n[Old]\ngone=1\n[Colors]\nCh1=5\nCh2=6\n";
  const std::string single = PathOf("single.ini"), batched = PathOf("batched.ini");
  WriteRaw(single, initial);
  WriteRaw(batched, initial);
  auto edit = [](TIniFile& ini) {
    std::vector<bool> results = {
        ini.WriteBool("menu", "DOT_JOIN", false),   ini.WriteInteger("Menu", "RMS_on", 1),
        ini.EraseSection("old"),                     ini.WriteString("Persistence", "LowColor", " 1 "),
        ini.WriteFloat("Persistence", "Level", 2.5), ini.DeleteKey("Colors", "ch2"),
        ini.WriteInteger("Colors", "Ch1", 5),        ini.WriteInteger("Colors", "Ch2", -1)};
    return std::count(results.begin(), results.end(), true);
  };
  TIniFile one(single);
  ASSERT_EQ(edit(one), 8);

  FileReplaceCounter replaced(home_.Path(), "batched.ini");
  TIniFile ini(batched);
  {
    IniWriteBatch batch(ini);
    EXPECT_EQ(edit(ini), 8);
    {
      IniWriteBatch inner(ini);
      EXPECT_TRUE(ini.WriteInteger("Hardware", "DemoMode", 0));
      EXPECT_TRUE(inner.Commit());
    }
    // Nothing reached the disk yet; this object reads its own writes.
    EXPECT_EQ(ReadRaw(batched), initial);
    EXPECT_EQ(replaced.Count(), 0);
    EXPECT_EQ(ini.ReadInteger("Colors", "Ch2", 0), -1);
    EXPECT_EQ(ini.ReadString("Old", "gone", "<none>"), "<none>");
    EXPECT_TRUE(batch.Commit());
  }
  EXPECT_EQ(replaced.Count(), 1);
  EXPECT_EQ(ReadRaw(batched), ReadRaw(single) + "\n[Hardware]\nDemoMode=0\n");

  // A batch that changes nothing writes nothing; one that ends unfinished
  // still writes.
  { IniWriteBatch unchanged(ini); ini.WriteInteger("Colors", "Ch1", 5); }
  EXPECT_EQ(replaced.Count(), 1);
  { IniWriteBatch dropped(ini); ini.WriteInteger("Colors", "Ch1", 9); }
  EXPECT_EQ(replaced.Count(), 2);
  EXPECT_EQ(TIniFile(batched).ReadInteger("Colors", "Ch1", 0), 9);
}

TEST_F(IniFileTest, RefusedBatchIsReportedOnceAndKeptInMemory) {
  const std::string folder = PathOf("later");
  const std::string path = folder + "/Darvik48.ini";
  TIniFile ini(path);
  {
    IniWriteBatch batch(ini);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(ini.WriteInteger("Calibration", "k" + std::to_string(i), i));
    EXPECT_FALSE(batch.Commit());
  }
  EXPECT_TRUE(ini.LastWriteFailed());
  EXPECT_FALSE(ini.LastError().empty());
  EXPECT_EQ(ini.ReadInteger("Calibration", "k19", -1), 19);
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  EXPECT_TRUE(ini.UpdateFile());
  EXPECT_EQ(TIniFile(path).ReadInteger("Calibration", "k7", -1), 7);

  // A write refused inside the batch fails the batch, though the others are
  // stored.
  IniWriteBatch batch(ini);
  EXPECT_FALSE(ini.WriteInteger("", "k", 1));
  EXPECT_TRUE(ini.WriteInteger("Calibration", "k0", 100));
  EXPECT_FALSE(batch.Commit());
  EXPECT_TRUE(ini.LastWriteFailed());
  EXPECT_EQ(TIniFile(path).ReadInteger("Calibration", "k0", -1), 100);
}

TEST_F(IniFileTest, WriteIntoAMissingFolderIsReportedAndKeptInMemory) {
  const std::string blocker = PathOf("plainfile");
  WriteRaw(blocker, "x");
  const std::string path = blocker + "/settings48.ini";
  TIniFile ini(path);
  EXPECT_FALSE(ini.WriteString("Trigger", "On", "1"));
  EXPECT_TRUE(ini.LastWriteFailed());
  EXPECT_FALSE(ini.LastError().empty());
  EXPECT_EQ(UnableToWriteMessage(path), "Unable to write to " + path);
  EXPECT_EQ(ini.WriteFailureMessage(), UnableToWriteMessage(path));
  // Reads stay consistent with what the caller wrote.
  EXPECT_EQ(ini.ReadString("Trigger", "On", ""), "1");
  EXPECT_FALSE(ini.UpdateFile());

  TIniFile missing(PathOf("no/such/folder/x.ini"));
  EXPECT_FALSE(missing.WriteBool("S", "k", true));
  EXPECT_TRUE(missing.LastWriteFailed());
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileIntactAndUpdateFileRetries) {
  const std::string path = PathOf("atomic.ini");
  const std::string before = "[Calibration]\noffs_1=124\noffs_2=124\n";
  WriteRaw(path, before);
  TIniFile ini(path);
  ASSERT_EQ(ini.ReadInteger("Calibration", "offs_1", 0), 124);

  // A file-size limit makes the write fail part way, as a full disk would
  // (permission bits do not stop root).
  struct rlimit old_limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool ok = ini.WriteString("Calibration", "Note", std::string(200, 'n'));
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(ok);
  EXPECT_TRUE(ini.LastWriteFailed());
  EXPECT_EQ(ReadRaw(path), before);
  EXPECT_EQ(FolderEntries(home_.Path()), (std::vector<std::string>{"atomic.ini"}));
  EXPECT_EQ(ini.ReadString("Calibration", "Note", ""), std::string(200, 'n'));

  EXPECT_TRUE(ini.UpdateFile());
  EXPECT_FALSE(ini.LastWriteFailed());
  EXPECT_EQ(ReadRaw(path), before + "Note=" + std::string(200, 'n') + "\n");
}

TEST_F(IniFileTest, TwoObjectsOnOneFileSeeEachOthersWrites) {
  const std::string path = PathOf("shared.ini");
  TIniFile a(path), b(path);
  EXPECT_EQ(b.ReadInteger("S", "x", -1), -1);
  ASSERT_TRUE(a.WriteInteger("S", "x", 1));
  EXPECT_EQ(b.ReadInteger("S", "x", -1), 1);
  ASSERT_TRUE(b.WriteInteger("S", "x", 2));
  ASSERT_TRUE(b.WriteInteger("S", "y", 3));
  EXPECT_EQ(a.ReadInteger("S", "x", -1), 2);
  // a's write must not drop b's key.
  ASSERT_TRUE(a.WriteInteger("S", "z", 4));
  EXPECT_EQ(ReadRaw(path), "[S]\nx=2\ny=3\nz=4\n");

  // An edit by another program is seen as well.
  WriteRaw(path, "[S]\nx=9\n");
  EXPECT_EQ(a.ReadInteger("S", "x", -1), 9);
  EXPECT_FALSE(a.ValueExists("S", "y"));
  std::remove(path.c_str());
  EXPECT_EQ(b.ReadInteger("S", "x", -1), -1);
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey) {
  const std::string path = PathOf("erase.ini");
  WriteRaw(path, "[A]\na=1\n\n[Freq]\n500kHz=1\n50kHz=0\n\n[Wave]\nSine=1\n[a]\nlate=1\n");
  TIniFile ini(path);
  ASSERT_TRUE(ini.EraseSection("FREQ"));
  ASSERT_TRUE(ini.DeleteKey("wave", "SINE"));
  ASSERT_TRUE(ini.EraseSection("A"));
  EXPECT_EQ(ReadRaw(path), "[Wave]\n");
  EXPECT_TRUE(ini.ReadSections() == std::vector<std::string>{"Wave"});
  // An empty section does not count as existing; a key with no value does.
  EXPECT_FALSE(ini.SectionExists("Wave"));
  ASSERT_TRUE(ini.WriteString("Wave", "LIB", ""));
  EXPECT_TRUE(ini.SectionExists("wave"));
  EXPECT_TRUE(ini.ValueExists("wave", "lib"));
  EXPECT_TRUE(ini.EraseSection("Nothing"));
  EXPECT_TRUE(ini.DeleteKey("Wave", "Nothing"));
}

TEST_F(IniFileTest, RewriteKeepsPermissionsAndSymbolicLinks) {
  const std::string real = PathOf("real.ini");
  const std::string link = PathOf("link.ini");
  WriteRaw(real, "[S]\nk=1\n");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  TIniFile ini(link);
  ASSERT_TRUE(ini.WriteInteger("S", "k", 2));
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadRaw(real), "[S]\nk=2\n");
}

}  // namespace
