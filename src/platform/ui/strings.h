// TStrings: a list of text lines, as memo lines and combo box items are.
#pragma once

#include <cstdint>

#include <functional>
#include <string>
#include <vector>

class TStrings {
 public:
  TStrings() = default;
  TStrings(const TStrings& other) : lines_(other.lines_) {}
  TStrings& operator=(const TStrings& other);
  virtual ~TStrings() = default;

  int Count() const { return static_cast<int>(lines_.size()); }
  // Out-of-range indexes read as an empty line and are ignored on writing.
  const std::string& operator[](int i) const { return Strings(i); }
  const std::string& Strings(int i) const;
  void SetStrings(int i, const std::string& s);
  // Returns the new line's index.
  int Add(const std::string& s);
  void Insert(int index, const std::string& s);
  void Delete(int index);
  void Clear();
  // Index of the first line equal to s (letter case ignored), or -1.
  int IndexOf(const std::string& s) const;
  void Assign(const TStrings& other);
  void AddStrings(const TStrings& other);

  // Every line followed by CR LF.
  std::string Text() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  void SetText(const std::string& text);

  // Reads a text file (any line ends) of at most maxBytes; false, with the
  // reason in *why and the lines as they were, when it cannot be read.
  bool LoadFromFile(const std::string& path, std::uintmax_t maxBytes = 16u << 20, std::string* why = nullptr);
  // Writes every line followed by CR LF; false when it cannot be written.
  bool SaveToFile(const std::string& path) const;

  // Batch several changes into one change notification.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

  const std::vector<std::string>& Lines() const { return lines_; }

  // Told after every change (once per batch); the owner control uses it.
  std::function<void()> OnChange;

 protected:
  void Changed();

 private:
  std::vector<std::string> lines_;
  int updating_ = 0;
  bool pending_ = false;
};

using TStringList = TStrings;

// A caption as it is shown: the "&" that marks an access key is left out,
// "&&" stands for one "&".
std::string WithoutAccessKeys(const std::string& caption);
