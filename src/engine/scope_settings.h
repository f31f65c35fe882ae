// The scope settings files ("settings48.ini" and the user's ".set" files):
// the ordered list of values the writer stores, and the whole file read
// into memory before a recall applies any of it.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

// One stored value, in the order the file holds it.
struct SettingsEntry {
  std::string Section;
  std::string Key;
  std::string Value;
};

// Builds the list key by key; "1"/"0" for flags, decimal for integers.
class SettingsList {
 public:
  void Flag(const char* section, const char* key, bool value) { Add(section, key, value ? "1" : "0"); }
  void Integer(const char* section, const char* key, int value) { Add(section, key, std::to_string(value)); }
  void Text(const char* section, const char* key, const std::string& value) { Add(section, key, value); }
  // Shortest form with up to 15 significant digits, '.' as decimal separator.
  void Real(const char* section, const char* key, double value);
  const std::vector<SettingsEntry>& Entries() const { return entries_; }

 private:
  void Add(const char* section, const char* key, std::string value) {
    entries_.push_back({section, key, std::move(value)});
  }
  std::vector<SettingsEntry> entries_;
};

// Stores every entry into the file at `path` with one replacement of the
// file: keys and sections the list does not name stay as they were. False
// when the file could not be written; it is then unchanged.
bool WriteSettingsFile(const std::string& path, const std::vector<SettingsEntry>& entries);

// A settings file read whole. Names match without regard to letter case;
// the first of two equal keys wins. A missing or unreadable file holds no
// keys.
class SettingsSnapshot {
 public:
  // `problem`, when given, gets why a file in the path's place cannot be
  // used (empty when it was read or there is none).
  static SettingsSnapshot FromFile(const std::string& path, std::string* problem = nullptr);
  static SettingsSnapshot FromEntries(const std::vector<SettingsEntry>& entries);

  std::optional<std::string> Value(const std::string& section, const std::string& key) const;
  // "1" or "0", as written; the default when missing, not a number or any
  // other number, which is no state of a button or check mark.
  bool Flag(const std::string& section, const std::string& key, bool fallback) const;
  // Decimal (or "0x" hexadecimal) integer; the default when missing or not a number.
  int Integer(const std::string& section, const std::string& key, int fallback) const;
  std::string Text(const std::string& section, const std::string& key, const std::string& fallback) const;
  bool Empty() const { return values_.empty(); }

 private:
  void Add(const std::string& section, const std::string& key, std::string value);
  // Lowered section and key, a line break between them -> value.
  std::unordered_map<std::string, std::string> values_;
};

// A decimal number written with '.' or ',' as separator, as a whole; empty
// when the text is no finite number.
std::optional<double> ParseDecimal(const std::string& text);

// "'%s' is not a valid floating point value".
std::string NotAFloatMessage(const std::string& text);

}  // namespace engine
