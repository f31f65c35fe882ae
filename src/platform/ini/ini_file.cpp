#include "platform/ini/ini_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/files.h"

namespace {

// Longest value a reader gets back: the class library reads through a
// 2048-character buffer.
constexpr std::size_t kMaxValueLength = 2047;
// A settings file is a few kilobytes; anything this large is not ours and is
// left alone (read as empty, never overwritten).
constexpr std::uintmax_t kMaxFileSize = 64 * 1024 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsBlankLine(const std::string& s) {
  return std::all_of(s.begin(), s.end(), IsBlank);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// A line break inside a name or value would split the line and could forge
// other keys or sections.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r' || c == '\0') c = ' ';
  return s;
}

// Cuts `s` to at most `max` bytes without leaving half of a UTF-8 character.
void CutUtf8(std::string& s, std::size_t max) {
  if (s.size() <= max) return;
  std::size_t n = max;
  std::size_t j = n;
  int continuation = 0;
  while (j > 0 && continuation < 3 && (static_cast<unsigned char>(s[j - 1]) & 0xC0) == 0x80) {
    --j;
    ++continuation;
  }
  if (j > 0) {
    unsigned char lead = static_cast<unsigned char>(s[j - 1]);
    int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (lead >= 0xC0 && length > continuation + 1) n = j - 1;
  }
  s.resize(n);
}

bool ParseInteger(const std::string& s, int& out) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    std::uint64_t v = 0;
    const char* first = s.data() + 2;
    const char* last = s.data() + s.size();
    auto [p, ec] = std::from_chars(first, last, v, 16);
    if (ec != std::errc() || p != last || v > 0xFFFFFFFFu) return false;
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return true;
  }
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') {
    ++first;
    if (first == last || *first < '0' || *first > '9') return false;
  }
  std::int64_t v = 0;
  auto [p, ec] = std::from_chars(first, last, v, 10);
  if (ec != std::errc() || p != last || v < INT_MIN || v > INT_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

bool ParseFloat(std::string s, double& out) {
  std::replace(s.begin(), s.end(), ',', '.');
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') {
    ++first;
    if (first == last || !((*first >= '0' && *first <= '9') || *first == '.')) return false;
  }
  double v = 0;
  auto [p, ec] = std::from_chars(first, last, v, std::chars_format::general);
  if (ec != std::errc() || p != last || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string SystemError(const std::string& what, int err) {
  return what + ": " + std::strerror(err);
}

bool WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::uint32_t ReadColourEntry(TIniFile& ini, const char* key, std::uint32_t def) {
  return static_cast<std::uint32_t>(ini.ReadInteger("Colors", key, static_cast<int>(def))) & 0xFFFFFF;
}

std::string UnableToWriteMessage(const std::string& file_name) {
  return "Unable to write to " + file_name;
}

TIniFile::FileStamp TIniFile::StampOf(const struct stat& st) {
  FileStamp s;
  s.exists = true;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return s;
}

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {}

std::string TIniFile::WriteFailureMessage() const { return UnableToWriteMessage(path_); }

// ---------------------------------------------------------------- loading

void TIniFile::Refresh() {
  FileStamp now;
  struct stat st {};
  if (!path_.empty() && ::stat(path_.c_str(), &st) == 0) {
    now = StampOf(st);
  }
  // Inside a batch the memory holds writes the file does not have yet.
  if (batch_depth_ > 0 && dirty_) return;
  if (!loaded_ || !(now == stamp_)) Load();
}

void TIniFile::Load() {
  loaded_ = true;
  dirty_ = false;
  unreadable_ = false;
  lines_.clear();
  bom_ = false;
  stamp_ = FileStamp{};
  if (path_.empty()) return;

  // Only a regular file is read, without waiting for a FIFO's writer (for
  // ever, at start-up) and without acting on a device.
  const os::WholeFile file = os::ReadWholeFile(path_, kMaxFileSize);
  if (file.Stat) stamp_ = StampOf(*file.Stat);
  if (file.Ok()) {
    Parse(file.Bytes);
    return;
  }
  // A missing file is an empty one; anything else must not be clobbered.
  if (file.Missing) return;
  unreadable_ = true;
  struct stat st {};
  if (!file.Stat && ::stat(path_.c_str(), &st) == 0) stamp_ = StampOf(st);
}

void TIniFile::Parse(const std::string& text) {
  std::size_t pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    bom_ = true;
    pos = 3;
  }
  bool in_section = false;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    std::size_t next;
    if (end == std::string::npos) {
      end = next = text.size();
    } else {
      next = end + 1;
      if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    }
    Line line;
    line.raw = text.substr(pos, end - pos);
    pos = next;

    std::string t = Trim(line.raw);
    if (!t.empty() && t[0] == '[') {
      std::size_t close = t.find(']');
      line.kind = LineKind::kSection;
      line.name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      in_section = true;
    } else if (in_section && !t.empty() && t[0] != ';') {
      std::size_t eq = t.find('=');
      if (eq != std::string::npos) {
        std::string key = Trim(t.substr(0, eq));
        if (!key.empty()) {
          line.kind = LineKind::kKey;
          line.name = std::move(key);
          line.value = Trim(t.substr(eq + 1));
        }
      }
    }
    lines_.push_back(std::move(line));
  }
}

// ---------------------------------------------------------------- lookup

int TIniFile::FindSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == LineKind::kSection && SameName(lines_[i].name, section))
      return static_cast<int>(i);
  return -1;
}

int TIniFile::SectionEnd(int header) const {
  int n = static_cast<int>(lines_.size());
  for (int i = header + 1; i < n; ++i)
    if (lines_[i].kind == LineKind::kSection) return i;
  return n;
}

int TIniFile::FindKey(int header, const std::string& key) const {
  int end = SectionEnd(header);
  for (int i = header + 1; i < end; ++i)
    if (lines_[i].kind == LineKind::kKey && SameName(lines_[i].name, key)) return i;
  return -1;
}

const TIniFile::Line* TIniFile::FindValue(const std::string& section, const std::string& key) {
  Refresh();
  int h = FindSection(Trim(section));
  if (h < 0) return nullptr;
  int k = FindKey(h, Trim(key));
  return k < 0 ? nullptr : &lines_[k];
}

// ---------------------------------------------------------------- reading

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& default_value) {
  const Line* line = FindValue(section, key);
  if (!line) return default_value;
  std::string v = line->value;
  // The caller of the profile functions sees a C string.
  std::size_t nul = v.find('\0');
  if (nul != std::string::npos) v.resize(nul);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  CutUtf8(v, kMaxValueLength);
  return v;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int default_value) {
  int v = 0;
  return ParseInteger(ReadString(section, key, ""), v) ? v : default_value;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool default_value) {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& key, double default_value) {
  double v = 0;
  return ParseFloat(ReadString(section, key, ""), v) ? v : default_value;
}

bool TIniFile::SectionExists(const std::string& section) { return !ReadSection(section).empty(); }

bool TIniFile::ValueExists(const std::string& section, const std::string& key) {
  return FindValue(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) {
  Refresh();
  std::vector<std::string> keys;
  int h = FindSection(Trim(section));
  if (h < 0) return keys;
  int end = SectionEnd(h);
  for (int i = h + 1; i < end; ++i) {
    if (lines_[i].kind != LineKind::kKey) continue;
    const std::string& name = lines_[i].name;
    if (std::none_of(keys.begin(), keys.end(), [&](const std::string& k) { return SameName(k, name); }))
      keys.push_back(name);
  }
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() {
  Refresh();
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind != LineKind::kSection) continue;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, line.name); }))
      names.push_back(line.name);
  }
  return names;
}

// ---------------------------------------------------------------- writing

bool TIniFile::Fail(const std::string& reason) {
  if (batch_depth_ > 0 && batch_refusal_.empty()) batch_refusal_ = reason;
  last_write_failed_ = true;
  last_error_ = reason;
  return false;
}

bool TIniFile::SetValue(const std::string& section_in, const std::string& key_in,
                        const std::string& value_in) {
  Refresh();
  std::string section = Trim(OneLine(section_in));
  std::string key = Trim(OneLine(key_in));
  std::string value = OneLine(value_in);
  if (section.empty() || key.empty()) return Fail("empty section or key name");

  int h = FindSection(section);
  if (h < 0) {
    if (!lines_.empty() && !IsBlankLine(lines_.back().raw)) lines_.push_back(Line{});
    Line header;
    header.kind = LineKind::kSection;
    header.raw = "[" + section + "]";
    header.name = section;
    lines_.push_back(std::move(header));
    Line entry;
    entry.kind = LineKind::kKey;
    entry.raw = key + "=" + value;
    entry.name = key;
    entry.value = Trim(value);
    lines_.push_back(std::move(entry));
  } else if (int k = FindKey(h, key); k >= 0) {
    std::string raw = lines_[k].name + "=" + value;
    if (raw == lines_[k].raw && !dirty_ && stamp_.exists) {
      last_write_failed_ = false;
      last_error_.clear();
      return true;  // already on disk as asked
    }
    lines_[k].raw = std::move(raw);
    lines_[k].value = Trim(value);
  } else {
    // After the section's last non-blank line, so blank separators stay last.
    int pos = SectionEnd(h);
    while (pos - 1 > h && IsBlankLine(lines_[pos - 1].raw)) --pos;
    Line entry;
    entry.kind = LineKind::kKey;
    entry.raw = key + "=" + value;
    entry.name = key;
    entry.value = Trim(value);
    lines_.insert(lines_.begin() + pos, std::move(entry));
  }
  return Changed();
}

bool TIniFile::Changed() {
  dirty_ = true;
  if (batch_depth_ > 0) return true;
  return Store();
}

bool TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  return SetValue(section, key, value);
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return SetValue(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return SetValue(section, key, value ? "1" : "0");
}

bool TIniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  std::string text = ec == std::errc() ? std::string(buf, p) : std::string("0");
  return SetValue(section, key, text);
}

bool TIniFile::EraseSection(const std::string& section_in) {
  Refresh();
  std::string section = Trim(section_in);
  bool changed = false;
  for (int h = FindSection(section); h >= 0; h = FindSection(section)) {
    lines_.erase(lines_.begin() + h, lines_.begin() + SectionEnd(h));
    changed = true;
  }
  if (!changed && !dirty_) return true;
  return Changed();
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key_in) {
  Refresh();
  int h = FindSection(Trim(section));
  std::string key = Trim(key_in);
  bool changed = false;
  if (h >= 0) {
    for (int k = FindKey(h, key); k >= 0; k = FindKey(h, key)) {
      lines_.erase(lines_.begin() + k);
      changed = true;
    }
  }
  if (!changed && !dirty_) return true;
  return Changed();
}

bool TIniFile::UpdateFile() {
  Refresh();
  if (dirty_) return Store();
  last_write_failed_ = false;
  last_error_.clear();
  return true;
}

void TIniFile::BeginBatch() {
  if (batch_depth_ == 0) batch_refusal_.clear();
  ++batch_depth_;
}

bool TIniFile::EndBatch() {
  if (batch_depth_ == 0) return true;
  if (--batch_depth_ > 0) return batch_refusal_.empty();
  const std::string refusal = std::move(batch_refusal_);
  batch_refusal_.clear();
  if (dirty_ && !Store()) return false;
  if (!refusal.empty()) return Fail(refusal);
  last_write_failed_ = false;
  last_error_.clear();
  return true;
}

IniWriteBatch::IniWriteBatch(TIniFile& ini) : ini_(ini) { ini_.BeginBatch(); }

IniWriteBatch::~IniWriteBatch() {
  if (open_) (void)ini_.EndBatch();
}

bool IniWriteBatch::Commit() {
  if (!open_) return !ini_.LastWriteFailed();
  open_ = false;
  return ini_.EndBatch();
}

bool TIniFile::Store() {
  if (path_.empty()) return Fail("no file name");
  if (unreadable_) return Fail("the existing file cannot be read and is left as it is");

  std::string text;
  if (bom_) text = "\xEF\xBB\xBF";
  for (const Line& line : lines_) {
    text += line.raw;
    text += '\n';
  }

  // Replace the file a symbolic link points to, not the link.
  std::string target = path_;
  struct stat lst {};
  if (::lstat(path_.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = ::realpath(path_.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  std::size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  static std::atomic<unsigned> counter{0};
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    tmp = dir + "/." + base + ".tmp" + std::to_string(::getpid()) + "_" +
          std::to_string(counter++) + "_" + std::to_string(ticks % 1000000);
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Fail(SystemError("cannot create a file in " + dir, errno));

  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      ::close(fd);
      ::unlink(tmp.c_str());
      return Fail(SystemError(target, EISDIR));
    }
    // Keep the old file's permissions and, where allowed, its owner.
    (void)::fchmod(fd, old.st_mode & 07777);
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
      (void)!::fchown(fd, old.st_uid, old.st_gid);
  }

  int err = 0;
  if (!WriteAll(fd, text)) err = errno;
  if (!err && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (!err && ::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
  if (err) {
    ::unlink(tmp.c_str());
    return Fail(SystemError(target, err));
  }
  // Make the rename itself durable.
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }

  dirty_ = false;
  last_write_failed_ = false;
  last_error_.clear();
  struct stat st {};
  stamp_ = FileStamp{};
  if (::stat(path_.c_str(), &st) == 0) {
    stamp_ = StampOf(st);
  }
  return true;
}
