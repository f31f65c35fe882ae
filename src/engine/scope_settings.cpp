#include "engine/scope_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/ini/ini_file.h"

namespace engine {

namespace {

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

std::optional<int> ParseInteger(const std::string& raw) {
  const std::string text = Trimmed(raw);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::uint32_t v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data() + 2, end, v, 16);
    if (ec != std::errc() || p != end) return std::nullopt;
    return static_cast<int>(v);
  }
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  int v = 0;
  auto [p, ec] = std::from_chars(begin, end, v, 10);
  if (begin == end || ec != std::errc() || p != end) return std::nullopt;
  return v;
}

}  // namespace

void SettingsList::Real(const char* section, const char* key, double value) {
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  Add(section, key, ec == std::errc() ? std::string(buf, p) : std::string("0"));
}

bool WriteSettingsFile(const std::string& path, const std::vector<SettingsEntry>& entries) {
  TIniFile ini(path);
  IniWriteBatch batch(ini);
  bool ok = true;
  for (const SettingsEntry& e : entries) ok = ini.WriteString(e.Section, e.Key, e.Value) && ok;
  return batch.Commit() && ok;
}

namespace {

// Names hold no line break: a file's lines end there.
std::string LookupKey(const std::string& section, const std::string& key) {
  return Lowered(section) + '\n' + Lowered(key);
}

}  // namespace

void SettingsSnapshot::Add(const std::string& section, const std::string& key, std::string value) {
  values_.emplace(LookupKey(section, key), std::move(value));
}

SettingsSnapshot SettingsSnapshot::FromFile(const std::string& path, std::string* problem) {
  TIniFile ini(path);
  SettingsSnapshot s;
  for (TIniFile::Value& v : ini.ReadAllValues()) s.Add(v.Section, v.Key, std::move(v.Text));
  if (problem) *problem = ini.Problem();
  return s;
}

SettingsSnapshot SettingsSnapshot::FromEntries(const std::vector<SettingsEntry>& entries) {
  SettingsSnapshot s;
  for (const SettingsEntry& e : entries) s.Add(e.Section, e.Key, e.Value);
  return s;
}

std::optional<std::string> SettingsSnapshot::Value(const std::string& section, const std::string& key) const {
  const auto found = values_.find(LookupKey(section, key));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

bool SettingsSnapshot::Flag(const std::string& section, const std::string& key, bool fallback) const {
  const int v = Integer(section, key, fallback ? 1 : 0);
  return v == 0 || v == 1 ? v == 1 : fallback;
}

int SettingsSnapshot::Integer(const std::string& section, const std::string& key, int fallback) const {
  const auto v = Value(section, key);
  if (!v) return fallback;
  return ParseInteger(*v).value_or(fallback);
}

std::string SettingsSnapshot::Text(const std::string& section, const std::string& key,
                                   const std::string& fallback) const {
  return Value(section, key).value_or(fallback);
}

std::optional<double> ParseDecimal(const std::string& raw) {
  std::string text = Trimmed(raw);
  if (std::count(text.begin(), text.end(), ',') + std::count(text.begin(), text.end(), '.') > 1)
    return std::nullopt;
  std::replace(text.begin(), text.end(), ',', '.');
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  double v = 0;
  auto [p, ec] = std::from_chars(begin, end, v, std::chars_format::general);
  if (begin == end || ec != std::errc() || p != end || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string NotAFloatMessage(const std::string& text) {
  return "'" + text + "' is not a valid floating point value";
}

}  // namespace engine
