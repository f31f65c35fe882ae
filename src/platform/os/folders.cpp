#include "platform/os/folders.h"

#include "platform/os/files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace os {
namespace {

std::string GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeFolder() {
  std::string home = GetEnv("HOME");
  if (home.empty()) {
    std::vector<char> buf(16384);
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
      home = found->pw_dir;
  }
  if (home.empty()) home = "/";
  return StripTrailingSlashes(home);
}

// XDG base folders must be absolute; a relative one is ignored.
std::string XdgBase(const char* variable, const char* fallback_under_home) {
  std::string v = GetEnv(variable);
  if (!v.empty() && v[0] == '/') return StripTrailingSlashes(v);
  return HomeFolder() + fallback_under_home;
}

// "$HOME/x" or "${HOME}/x" relative to home, or an absolute path; else "".
std::string ExpandHome(const std::string& value) {
  for (const char* prefix : {"$HOME", "${HOME}"}) {
    std::string p = prefix;
    if (value.compare(0, p.size(), p) == 0 && (value.size() == p.size() || value[p.size()] == '/'))
      return StripTrailingSlashes(HomeFolder() + value.substr(p.size()));
  }
  if (!value.empty() && value[0] == '/') return StripTrailingSlashes(value);
  return "";
}

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs file (shell syntax:
// NAME="value" with backslash escapes); the last assignment wins.
std::string DocumentsFromUserDirs(const std::string& file) {
  // Read without waiting: a FIFO in the file's place would hold the start-up.
  const WholeFile whole = ReadWholeFile(file, 1u << 20);
  if (!whole.Ok()) return "";
  std::istringstream in(whole.Bytes);
  const std::string name = "XDG_DOCUMENTS_DIR";
  std::string result;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] == '#') continue;
    if (line.compare(i, name.size(), name) != 0) continue;
    i += name.size();
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || line[i] != '=') continue;
    ++i;
    std::string value;
    if (i < line.size() && line[i] == '"') {
      bool closed = false;
      for (++i; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          value += line[++i];
        } else if (line[i] == '"') {
          closed = true;
          break;
        } else {
          value += line[i];
        }
      }
      if (!closed) continue;
    } else {
      std::size_t end = line.find_first_of(" \t#", i);
      value = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
    }
    std::string path = ExpandHome(value);
    if (!path.empty()) result = path;
  }
  return result;
}

std::string TempNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "" : path.substr(0, slash));
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return dir + "/." + base + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + "_" +
         std::to_string(ticks % 1000000);
}

}  // namespace

std::string UserHomeFolder() { return HomeFolder(); }

std::string LocalAppDataFolder() { return XdgBase("XDG_DATA_HOME", "/.local/share"); }

std::string DocumentsFolder() {
  std::string direct = ExpandHome(GetEnv("XDG_DOCUMENTS_DIR"));
  if (!direct.empty()) return direct;
  std::string from_file = DocumentsFromUserDirs(XdgBase("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
  if (!from_file.empty()) return from_file;
  return HomeFolder() + "/Documents";
}

std::string ProgramFileFolder() {
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) break;
    if (static_cast<std::size_t>(n) < buf.size()) {
      std::string exe(buf.data(), static_cast<std::size_t>(n));
      const std::string deleted = " (deleted)";
      if (exe.size() > deleted.size() && exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0)
        exe.resize(exe.size() - deleted.size());
      std::size_t slash = exe.rfind('/');
      if (slash != std::string::npos) return exe.substr(0, slash + 1);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  return ec ? std::string("./") : StripTrailingSlashes(cwd) + (cwd == "/" ? "" : "/");
}

std::string GetSpecialFolderPath(int csidl) {
  switch (csidl) {
    case kCsidlPersonal: return DocumentsFolder();
    case kCsidlLocalAppData: return LocalAppDataFolder();
    default: return "";
  }
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return DirectoryExists(path);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool CopyFile(const std::string& src, const std::string& dst, bool overwrite) {
  if (src.empty() || dst.empty()) return false;
  struct stat st {};
  if (!overwrite && ::lstat(dst.c_str(), &st) == 0) return false;
  // Without waiting: a FIFO source is refused below, not read.
  int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (in < 0) return false;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return false;
  }
  std::string tmp = TempNameBeside(dst);
  int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buf + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  ::close(in);
  // The copy gets the source's permission bits.
  (void)::fchmod(out, st.st_mode & 0777);
  if (ok) ok = ::fsync(out) == 0;
  if (::close(out) != 0) ok = false;
  if (ok) {
    if (overwrite) {
      ok = ::rename(tmp.c_str(), dst.c_str()) == 0;
    } else {
      // link() refuses an existing name, so a file that appeared meanwhile stays.
      ok = ::link(tmp.c_str(), dst.c_str()) == 0;
    }
  }
  ::unlink(tmp.c_str());
  return ok;
}

std::string FileNameOnly(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) {
    errno = EINVAL;
    return false;
  }
  const std::string tmp = TempNameBeside(path);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int saved = errno;
    ::unlink(tmp.c_str());
    errno = saved;
  }
  return ok;
}

}  // namespace os
