// Whole-file reads of files others wrote (the writes: folders.h), and a log
// written record by record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>
#include <sys/types.h>

namespace os {

struct WholeFile {
  std::string Bytes;
  // Why the file could not be read ("Is a directory", "Permission denied",
  // ...), without a full stop; empty when it was read.
  std::string Error;
  bool Missing = false;             // there is no file of that name
  std::optional<struct stat> Stat;  // of the file opened, when it was opened
  bool Ok() const { return Error.empty(); }
};

// Every reader of a file takes it through here. The file is opened without
// waiting (a named pipe with no writer would hold the program for ever) and
// must be a regular file; one larger than maxBytes is refused before a byte
// of it is read. An empty file is read as no bytes; what that means is the
// reader's to say.
WholeFile ReadWholeFile(const std::string& path, std::uintmax_t maxBytes);

// A size limit as people read it: "1 MB", "512 KB", "100 bytes".
std::string SizeText(std::uintmax_t bytes);

// A file written one record (a line) at a time that never ends in part of
// a record: a write that fails part-way cuts the file back to the end of
// the record before it.
class RecordFile {
 public:
  RecordFile() = default;
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Creates the file (or empties it); false with LastError() when it cannot.
  bool Create(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Writes the record whole; false when it could not (the file then holds
  // what it held before).
  bool Append(std::string_view record);
  // False when the file could not be closed cleanly.
  bool Close();
  const std::string& LastError() const { return last_error_; }

 private:
  int fd_ = -1;
  off_t whole_ = 0;  // bytes of whole records
  std::string last_error_;
};

}  // namespace os
