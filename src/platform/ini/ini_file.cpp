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
constexpr std::uintmax_t kMaxFileSize = 16 * 1024 * 1024;
// Sections with more lines than this get an index of their keys.
constexpr std::size_t kIndexedSection = 16;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsBlankLine(const std::string& s) {
  return std::all_of(s.begin(), s.end(), IsBlank);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// The name as the index holds it: letter case does not count.
std::string Folded(std::string_view s) {
  std::string f(s);
  for (char& c : f) c = LowerAscii(c);
  return f;
}

// Bytes no text editor writes into a settings file.
bool IsBinaryByte(unsigned char c) {
  return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') || c == 0x7F;
}

bool IsBinary(const std::string& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return IsBinaryByte(static_cast<unsigned char>(c)); });
}

// A line break inside a name or value would split the line and could forge
// other keys or sections; another control character would make the file
// binary.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r' || IsBinaryByte(static_cast<unsigned char>(c))) c = ' ';
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

TIniFile::TIniFile(std::string path) : path_(std::move(path)) { Clear(); }

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

void TIniFile::Clear() {
  sections_.clear();
  sections_.emplace_back();
  first_section_.clear();
  bom_ = false;
}

void TIniFile::Load() {
  loaded_ = true;
  dirty_ = false;
  unreadable_ = false;
  problem_.clear();
  Clear();
  stamp_ = FileStamp{};
  if (path_.empty()) return;

  // Only a regular file is read, without waiting for a FIFO's writer (for
  // ever, at start-up) and without acting on a device.
  const os::WholeFile file = os::ReadWholeFile(path_, kMaxFileSize);
  if (file.Stat) stamp_ = StampOf(*file.Stat);
  std::string problem = file.Error;
  if (file.Ok() && IsBinary(file.Bytes)) problem = "Holds binary data, not text";
  if (problem.empty()) {
    Parse(file.Bytes);
    return;
  }
  // A missing file is an empty one, but a link to nothing is the user's
  // link; anything else must not be clobbered either.
  struct stat lst {};
  if (file.Missing) {
    if (::lstat(path_.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode)) return;
    problem = "Is a symbolic link to a missing file";
  }
  unreadable_ = true;
  problem_ = std::move(problem);
  struct stat st {};
  if (!file.Stat && ::stat(path_.c_str(), &st) == 0) stamp_ = StampOf(st);
}

std::string TIniFile::Problem() {
  Refresh();
  return unreadable_ ? problem_ : std::string();
}

void TIniFile::Parse(const std::string& text) {
  std::size_t pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    bom_ = true;
    pos = 3;
  }
  // Room for every section at once: a file of many is read without moving
  // them again and again.
  std::size_t headers = 1;
  for (std::size_t at = text.find("\n[", pos); at != std::string::npos; at = text.find("\n[", at + 2)) ++headers;
  sections_.reserve(headers + 1);
  first_section_.reserve(headers);
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
    line.raw.assign(text, pos, end - pos);
    pos = next;

    const std::string_view raw = line.raw;
    const std::string_view t = Trim(raw);
    const auto at = [&](std::string_view part) { return static_cast<std::uint32_t>(part.data() - raw.data()); };
    const auto size = [](std::string_view part) { return static_cast<std::uint32_t>(part.size()); };
    if (!t.empty() && t[0] == '[') {
      const std::size_t close = t.find(']');
      const std::string_view name = Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      line.kind = LineKind::kSection;
      line.name_at = at(name);
      line.name_size = size(name);
      // The first section of a name is the one read.
      first_section_.emplace(Folded(name), sections_.size());
      sections_.emplace_back();
    } else if (sections_.size() > 1 && !t.empty() && t[0] != ';') {
      const std::size_t eq = t.find('=');
      if (eq != std::string_view::npos) {
        const std::string_view key = Trim(t.substr(0, eq));
        if (!key.empty()) {
          const std::string_view value = Trim(t.substr(eq + 1));
          line.kind = LineKind::kKey;
          line.name_at = at(key);
          line.name_size = size(key);
          line.value_at = at(value);
          line.value_size = size(value);
        }
      }
    }
    sections_.back().lines.push_back(std::move(line));
  }
}

// ---------------------------------------------------------------- lookup

std::size_t TIniFile::FindSection(std::string_view section) const {
  const auto found = first_section_.find(Folded(Trim(section)));
  return found == first_section_.end() ? kNone : found->second;
}

std::size_t TIniFile::FindKey(std::size_t section, std::string_view key_in) const {
  const Section& s = sections_[section];
  const std::string_view key = Trim(key_in);
  if (s.lines.size() <= kIndexedSection) {
    for (std::size_t i = 1; i < s.lines.size(); ++i)
      if (s.lines[i].kind == LineKind::kKey && SameName(s.lines[i].Name(), key)) return i;
    return kNone;
  }
  if (!s.keys) {
    s.keys = std::make_unique<std::unordered_map<std::string, std::size_t>>();
    for (std::size_t i = 1; i < s.lines.size(); ++i)
      if (s.lines[i].kind == LineKind::kKey) s.keys->emplace(Folded(s.lines[i].Name()), i);
  }
  const auto found = s.keys->find(Folded(key));
  return found == s.keys->end() ? kNone : found->second;
}

const TIniFile::Line* TIniFile::FindValue(const std::string& section, const std::string& key) {
  Refresh();
  const std::size_t h = FindSection(section);
  if (h == kNone) return nullptr;
  const std::size_t k = FindKey(h, key);
  return k == kNone ? nullptr : &sections_[h].lines[k];
}

// ---------------------------------------------------------------- reading

namespace {

// A stored value as the caller of the profile functions sees it.
std::string ReadableValue(std::string_view stored) {
  std::string v(stored);
  // The caller sees a C string.
  std::size_t nul = v.find('\0');
  if (nul != std::string::npos) v.resize(nul);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  CutUtf8(v, kMaxValueLength);
  return v;
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& default_value) {
  const Line* line = FindValue(section, key);
  return line ? ReadableValue(line->Value()) : default_value;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int default_value) {
  int v = 0;
  return ParseInteger(ReadString(section, key, ""), v) ? v : default_value;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool default_value) {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

bool ReadFlagKey(TIniFile& ini, const std::string& section, const std::string& key, bool def) {
  const int v = ini.ReadInteger(section, key, def ? 1 : 0);
  return v == 0 || v == 1 ? v == 1 : def;
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
  const std::size_t h = FindSection(section);
  if (h == kNone) return keys;
  const std::vector<Line>& lines = sections_[h].lines;
  for (std::size_t i = 1; i < lines.size(); ++i)
    if (lines[i].kind == LineKind::kKey && FindKey(h, lines[i].Name()) == i) keys.emplace_back(lines[i].Name());
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() {
  Refresh();
  std::vector<std::string> names;
  for (std::size_t h = 1; h < sections_.size(); ++h) {
    if (sections_[h].erased) continue;
    const std::string_view name = sections_[h].lines.front().Name();
    if (FindSection(name) == h) names.emplace_back(name);
  }
  return names;
}

std::vector<TIniFile::Value> TIniFile::ReadAllValues() {
  Refresh();
  std::vector<Value> values;
  for (std::size_t h = 1; h < sections_.size(); ++h) {
    if (sections_[h].erased) continue;
    const std::vector<Line>& lines = sections_[h].lines;
    const std::string_view name = lines.front().Name();
    if (FindSection(name) != h) continue;
    for (std::size_t i = 1; i < lines.size(); ++i)
      if (lines[i].kind == LineKind::kKey && FindKey(h, lines[i].Name()) == i)
        values.push_back({std::string(name), std::string(lines[i].Name()), ReadableValue(lines[i].Value())});
  }
  return values;
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
  const std::string section(Trim(OneLine(section_in)));
  const std::string key(Trim(OneLine(key_in)));
  const std::string value = OneLine(value_in);
  if (section.empty() || key.empty()) return Fail("empty section or key name");

  // "name=value" with the name as given.
  const auto keyLine = [&value](std::string_view name) {
    Line entry;
    entry.kind = LineKind::kKey;
    entry.raw.reserve(name.size() + 1 + value.size());
    entry.raw.append(name).append("=").append(value);
    const std::string_view v = Trim(std::string_view(entry.raw).substr(name.size() + 1));
    entry.name_size = static_cast<std::uint32_t>(name.size());
    entry.value_at = static_cast<std::uint32_t>(v.data() - entry.raw.data());
    entry.value_size = static_cast<std::uint32_t>(v.size());
    return entry;
  };

  const std::size_t h = FindSection(section);
  if (h == kNone) {
    // A blank line before the new section, unless the file ends in one.
    for (std::size_t i = sections_.size(); i-- > 0;) {
      if (sections_[i].erased || sections_[i].lines.empty()) continue;
      if (!IsBlankLine(sections_[i].lines.back().raw)) sections_[i].lines.emplace_back();
      break;
    }
    Line header;
    header.kind = LineKind::kSection;
    header.raw = "[" + section + "]";
    header.name_at = 1;
    header.name_size = static_cast<std::uint32_t>(section.size());
    first_section_.emplace(Folded(section), sections_.size());
    Section& added = sections_.emplace_back();
    added.lines.push_back(std::move(header));
    added.lines.push_back(keyLine(key));
  } else if (const std::size_t k = FindKey(h, key); k != kNone) {
    Line& line = sections_[h].lines[k];
    Line changed = keyLine(line.Name());
    if (changed.raw == line.raw && !dirty_ && stamp_.exists) {
      last_write_failed_ = false;
      last_error_.clear();
      return true;  // already on disk as asked
    }
    line = std::move(changed);
  } else {
    // After the section's last non-blank line, so blank separators stay
    // last; only blank lines follow, so no key changes its place.
    std::vector<Line>& lines = sections_[h].lines;
    std::size_t pos = lines.size();
    while (pos - 1 > 0 && IsBlankLine(lines[pos - 1].raw)) --pos;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pos), keyLine(key));
    if (sections_[h].keys) sections_[h].keys->emplace(Folded(key), pos);
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
  const std::string_view section = Trim(section_in);
  bool changed = false;
  if (FindSection(section) != kNone) {
    // Every section of the name goes; the others keep their places.
    for (std::size_t h = 1; h < sections_.size(); ++h) {
      Section& s = sections_[h];
      if (s.erased || !SameName(s.lines.front().Name(), section)) continue;
      s.erased = true;
      s.lines = {};
      s.keys.reset();
    }
    first_section_.erase(Folded(section));
    changed = true;
  }
  if (!changed && !dirty_) return true;
  return Changed();
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key_in) {
  Refresh();
  const std::size_t h = FindSection(section);
  const std::string_view key = Trim(key_in);
  bool changed = false;
  if (h != kNone) {
    std::vector<Line>& lines = sections_[h].lines;
    const auto gone = std::remove_if(lines.begin() + 1, lines.end(), [&](const Line& line) {
      return line.kind == LineKind::kKey && SameName(line.Name(), key);
    });
    changed = gone != lines.end();
    lines.erase(gone, lines.end());
    if (changed) sections_[h].keys.reset();
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
  if (unreadable_) return Fail(path_ + ": " + problem_ + "; the file is left as it is");

  std::string text;
  std::size_t size = bom_ ? 3 : 0;
  for (const Section& s : sections_)
    for (const Line& line : s.lines) size += line.raw.size() + 1;
  text.reserve(size);
  if (bom_) text = "\xEF\xBB\xBF";
  for (const Section& s : sections_)
    for (const Line& line : s.lines) {
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
