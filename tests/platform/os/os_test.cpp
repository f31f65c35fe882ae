#include <cerrno>
#include <csignal>
#include <chrono>
#include <functional>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/os/folders.h"
#include "platform/os/process.h"
#include "platform/os/termination.h"
#include "platform/os/zero_pages.h"
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

// Another process's doing takes real time: polled until it shows or the limit passes.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

TEST(FoldersTest, LocalAppDataFollowsXdgDataHome) {
  TempHome home;
  EXPECT_EQ(os::LocalAppDataFolder(), home.Path() + "/.local/share");
  setenv("XDG_DATA_HOME", "/srv/data/", 1);
  EXPECT_EQ(os::LocalAppDataFolder(), "/srv/data");
  // Relative values are not allowed by XDG and are ignored.
  setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(os::LocalAppDataFolder(), home.Path() + "/.local/share");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(os::LocalAppDataFolder(), home.Path() + "/.local/share");
  EXPECT_EQ(os::GetSpecialFolderPath(28), os::LocalAppDataFolder());
}

TEST(FoldersTest, DocumentsFromEnvironmentUserDirsOrDefault) {
  TempHome home;
  const std::string config = home.Path() + "/.config";
  EXPECT_EQ(os::DocumentsFolder(), home.Path() + "/Documents");

  ASSERT_TRUE(os::ForceDirectories(config));
  WriteRaw(config + "/user-dirs.dirs",
           "# This file is written by xdg-user-dirs-update\n"
           "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
           "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente \\\"neu\\\"\"\n"
           "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
  EXPECT_EQ(os::DocumentsFolder(), home.Path() + "/Dokumente \"neu\"");
  EXPECT_EQ(os::GetSpecialFolderPath(5), home.Path() + "/Dokumente \"neu\"");

  WriteRaw(config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/shared docs/\"\r\n");
  EXPECT_EQ(os::DocumentsFolder(), "/srv/shared docs");

  // A relative or unterminated entry is not a folder.
  WriteRaw(config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"docs\"\nXDG_DOCUMENTS_DIR=\"$HOME/x\n");
  EXPECT_EQ(os::DocumentsFolder(), home.Path() + "/Documents");

  // XDG_CONFIG_HOME names where the file is.
  const std::string other = home.Path() + "/otherconfig";
  ASSERT_TRUE(os::ForceDirectories(other));
  WriteRaw(other + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"${HOME}/Paperwork\"\n");
  setenv("XDG_CONFIG_HOME", other.c_str(), 1);
  EXPECT_EQ(os::DocumentsFolder(), home.Path() + "/Paperwork");

  // The environment variable wins over the file.
  setenv("XDG_DOCUMENTS_DIR", "$HOME/FromEnv", 1);
  EXPECT_EQ(os::DocumentsFolder(), home.Path() + "/FromEnv");
  setenv("XDG_DOCUMENTS_DIR", "/abs/docs", 1);
  EXPECT_EQ(os::GetSpecialFolderPath(5), "/abs/docs");
}

TEST(FoldersTest, OtherSpecialFolderIdsGiveNothing) {
  TempHome home;
  for (int id : {0, 1, 26, 35, -1, 1000}) EXPECT_EQ(os::GetSpecialFolderPath(id), "") << id;
}

TEST(FoldersTest, ProgramFileFolderHoldsTheRunningProgram) {
  std::string folder = os::ProgramFileFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  std::string path = exe;
  EXPECT_EQ(folder + path.substr(path.rfind('/') + 1), path);
}

TEST(FoldersTest, ForceDirectoriesAndFileQueries) {
  TempHome home;
  const std::string deep = home.Path() + "/.local/share/Brastel/Darvik48";
  EXPECT_FALSE(os::DirectoryExists(deep));
  EXPECT_TRUE(os::ForceDirectories(deep));
  EXPECT_TRUE(os::DirectoryExists(deep));
  EXPECT_TRUE(os::ForceDirectories(deep));  // already there
  EXPECT_FALSE(os::FileExists(deep));

  const std::string file = deep + "/Darvik48.ini";
  WriteRaw(file, "x");
  EXPECT_TRUE(os::FileExists(file));
  EXPECT_FALSE(os::DirectoryExists(file));
  EXPECT_FALSE(os::ForceDirectories(file + "/below"));
  EXPECT_FALSE(os::ForceDirectories(""));

  EXPECT_FALSE(os::DeleteFile(deep));  // folders are not files
  EXPECT_TRUE(os::DirectoryExists(deep));
  EXPECT_TRUE(os::DeleteFile(file));
  EXPECT_FALSE(os::FileExists(file));
  EXPECT_FALSE(os::DeleteFile(file));
}

TEST(FoldersTest, CopyFileHonoursOverwriteAndNeverLeavesHalfACopy) {
  TempHome home;
  const std::string src = home.Path() + "/darvik48.bit";
  const std::string dst = home.Path() + "/copy.bit";
  std::string payload(200000, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7);
  WriteRaw(src, payload);
  chmod(src.c_str(), 0640);

  EXPECT_TRUE(os::CopyFile(src, dst, false));
  EXPECT_EQ(ReadRaw(dst), payload);
  struct stat st {};
  ASSERT_EQ(stat(dst.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  WriteRaw(dst, "keep me");
  EXPECT_FALSE(os::CopyFile(src, dst, false));
  EXPECT_EQ(ReadRaw(dst), "keep me");
  EXPECT_TRUE(os::CopyFile(src, dst, true));
  EXPECT_EQ(ReadRaw(dst), payload);

  EXPECT_FALSE(os::CopyFile(home.Path() + "/missing", dst, true));
  EXPECT_EQ(ReadRaw(dst), payload);
  EXPECT_FALSE(os::CopyFile(home.Path(), dst, true));  // a folder is no source
  EXPECT_TRUE(os::CopyFile(src, src, true));           // onto itself: intact
  EXPECT_EQ(ReadRaw(src), payload);
  EXPECT_FALSE(os::CopyFile(src, home.Path() + "/no/folder/x", true));
}

// A FIFO where a file is read at start-up would hold the program for ever.
TEST(FoldersTest, FifosInPlaceOfFilesAreNeverWaitedOn) {
  TempHome home;
  ASSERT_TRUE(os::ForceDirectories(home.Path() + "/.config"));
  FifoWithRescue userDirs(home.Path() + "/.config/user-dirs.dirs", std::chrono::milliseconds(3000));
  FifoWithRescue logic(home.Path() + "/darvik48.bit", std::chrono::milliseconds(3000));
  ASSERT_TRUE(userDirs.Made() && logic.Made());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(os::DocumentsFolder(), home.Path() + "/Documents");
  EXPECT_FALSE(os::CopyFile(home.Path() + "/darvik48.bit", home.Path() + "/copy.bit", true));
  EXPECT_FALSE(os::FileExists(home.Path() + "/copy.bit"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(ProcessTest, StartsDetachedWithOddArgumentsAndNoShell) {
  TempHome home;
  const std::string odd = "a b;$(touch pwned)'\"`x`.txt";
  WriteRaw(home.Path() + "/" + odd, "content");
  // Relative names resolve in the working folder given.
  ASSERT_TRUE(os::StartProgram("cp", {"--", odd, "copied.txt"}, home.Path()));
  // Whole once the copy has ended.
  EXPECT_TRUE(WaitUntil([&] { return ReadRaw(home.Path() + "/copied.txt") == "content"; }, std::chrono::seconds(10)));
  EXPECT_FALSE(os::FileExists(home.Path() + "/pwned"));
  EXPECT_FALSE(os::FileExists("pwned"));
  // Nothing is left for us to reap.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(ProcessTest, MissingProgramOrFolderFailsQuickly) {
  TempHome home;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(os::StartProgram("Quenlow.EXE", {}));
  EXPECT_FALSE(os::StartProgram(home.Path() + "/no-such-program", {"x"}));
  EXPECT_FALSE(os::StartProgram("", {}));
  EXPECT_FALSE(os::StartProgram("true", {}, home.Path() + "/no/such/folder"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(ProcessTest, WebLinksThatLookLikeOptionsAreRefused) {
  EXPECT_FALSE(os::OpenWebLink(""));
  EXPECT_FALSE(os::OpenWebLink("--help"));
  EXPECT_FALSE(os::OpenWebLink("-x http://example.invalid"));
}

}  // namespace

// Reserved zero pages read as zeros and take memory only where written.
// A program too busy to come round to its event loop (a long computation,
// a long read) still obeys a termination signal, within a second, and says
// on standard error that it could not close.
TEST(TerminationTest, ABusyProgramEndsWithinASecondOfTheSignal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EXIT(
      {
        bool closed = false;
        if (!os::OnTerminationSignal([&] { closed = true; })) std::_Exit(2);
        ::raise(SIGTERM);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < until) {
        }
        std::_Exit(closed ? 3 : 0);
      },
      testing::KilledBySignal(SIGTERM), "Terminated, but the program does not answer");
  // The child starts a test program of its own first.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
}

TEST(ZeroPagesTest, ReadAsZerosAndCostNothingUntilWritten) {
  const long page = sysconf(_SC_PAGESIZE);
  const std::size_t bytes = 16 * static_cast<std::size_t>(page);
  auto* p = static_cast<unsigned char*>(os::ReserveZeroPages(bytes));
  ASSERT_NE(p, nullptr);
  auto resident = [&] {
    std::vector<unsigned char> in(16);
    EXPECT_EQ(mincore(p, bytes, in.data()), 0);
    int n = 0;
    for (unsigned char c : in) n += c & 1;
    return n;
  };
  EXPECT_EQ(resident(), 0);
  p[3 * page + 5] = 7;
  EXPECT_EQ(resident(), 1);
  std::size_t nonzero = 0;
  for (std::size_t i = 0; i < bytes; ++i) nonzero += p[i] != 0;
  EXPECT_EQ(nonzero, 1u);
  os::ReleaseZeroPages(p, bytes);
}

// Large zero pages start on a 2 MB boundary, read as zeros, take writes at
// both ends, and are gone whole once given back.
TEST(ZeroPagesTest, LargePagesLieOnTheirBoundariesAndGoBackWhole) {
  constexpr std::size_t kLarge = std::size_t{2} << 20;
  for (const std::size_t bytes : {std::size_t{1}, kLarge - 4096 - 3, kLarge, kLarge + 1}) {
    auto* p = static_cast<unsigned char*>(os::ReserveLargeZeroPages(bytes));
    ASSERT_NE(p, nullptr) << bytes;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % kLarge, 0u) << bytes;
    std::size_t nonzero = 0;
    for (std::size_t i = 0; i < bytes; i += 997) nonzero += p[i] != 0;
    EXPECT_EQ(nonzero + p[bytes - 1], 0u) << bytes;
    p[0] = p[bytes - 1] = 1;
    const std::size_t mapped = (bytes + kLarge - 1) / kLarge * kLarge;
    std::vector<unsigned char> in(mapped / 4096);
    EXPECT_EQ(mincore(p, mapped, in.data()), 0) << bytes;
    os::ReleaseLargeZeroPages(p, bytes);
    EXPECT_EQ(mincore(p, 4096, in.data()), -1) << bytes;
    EXPECT_EQ(mincore(p + mapped - 4096, 4096, in.data()), -1) << bytes;
  }
}
