#include "platform/ui/strings.h"

#include "platform/os/files.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <strings.h>

TStrings& TStrings::operator=(const TStrings& other) {
  if (this != &other) Assign(other);
  return *this;
}

const std::string& TStrings::Strings(int i) const {
  static const std::string empty;
  if (i < 0 || i >= Count()) return empty;
  return lines_[static_cast<size_t>(i)];
}

void TStrings::SetStrings(int i, const std::string& s) {
  if (i < 0 || i >= Count() || lines_[static_cast<size_t>(i)] == s) return;
  lines_[static_cast<size_t>(i)] = s;
  Changed();
}

int TStrings::Add(const std::string& s) {
  lines_.push_back(s);
  Changed();
  return Count() - 1;
}

void TStrings::Insert(int index, const std::string& s) {
  if (index < 0 || index > Count()) return;
  lines_.insert(lines_.begin() + index, s);
  Changed();
}

void TStrings::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  lines_.erase(lines_.begin() + index);
  Changed();
}

void TStrings::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (strcasecmp(lines_[static_cast<size_t>(i)].c_str(), s.c_str()) == 0) return i;
  return -1;
}

void TStrings::Assign(const TStrings& other) {
  if (lines_ == other.lines_) return;
  lines_ = other.lines_;
  Changed();
}

void TStrings::AddStrings(const TStrings& other) {
  if (other.lines_.empty()) return;
  lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
  Changed();
}

std::string TStrings::Text() const {
  std::string out;
  for (const std::string& l : lines_) {
    out += l;
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  if (lines == lines_) return;
  lines_ = std::move(lines);
  Changed();
}

bool TStrings::LoadFromFile(const std::string& path, std::uintmax_t maxBytes, std::string* why) {
  const os::WholeFile file = os::ReadWholeFile(path, maxBytes);
  if (!file.Ok()) {
    if (why) *why = file.Error;
    return false;
  }
  SetText(file.Bytes);
  return true;
}

bool TStrings::SaveToFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const std::string text = Text();
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

void TStrings::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && pending_) {
    pending_ = false;
    if (OnChange) OnChange();
  }
}

void TStrings::Changed() {
  if (updating_ > 0) {
    pending_ = true;
    return;
  }
  if (OnChange) OnChange();
}

std::string WithoutAccessKeys(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += s[i];
  }
  return out;
}
