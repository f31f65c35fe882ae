// INI files with the private-profile rules the settings code was written for.
//
// Reading:
//  - section and key names match without regard to ASCII letter case; the first
//    section of a name and the first key of a name in it win, as the profile
//    functions do;
//  - blanks around names and values are dropped; a value wholly enclosed in a
//    pair of double (or single) quotes loses them; values are returned up to
//    2047 characters and cut there;
//  - lines starting with ';' are comments; lines without '=' and keys before the
//    first section are kept in the file but never read; a "[name" line without
//    its ']' still opens section "name";
//  - LF, CR LF and CR line ends and a leading UTF-8 byte-order mark are read.
//
// Writing:
//  - every write goes to disk at once: the whole file is written to a temporary
//    file beside it, synced and renamed over the original, so a failed write
//    leaves the old file intact;
//  - a new key goes at the end of its section, a new section at the end of the
//    file; an existing key keeps its spelling and place; every other line stays
//    as it was; lines end with LF;
//  - a failed write returns false and is kept in LastWriteFailed()/LastError();
//    the value is still held in memory, so reads stay consistent, and the next
//    successful write (or UpdateFile()) stores it too;
//  - while an IniWriteBatch is open on the file, writes change only the file
//    in memory, and the batch stores them all with one replace of the file.
//
// Only a regular text file is read: a folder, a FIFO, a device, a symbolic
// link that leads nowhere, a file over 16 MB or one holding binary data
// (control characters other than tab, line and page breaks) in the file's
// place is taken as an unreadable file (every read gives its default, every
// write fails, Problem() says why) and is never waited on nor written over.
// A symbolic link to a file is followed.
//
// Reads and lookups take time in proportion to the file's size, whatever
// its number of sections and keys.
//
// Floats: written with '.' as decimal separator whatever the user's locale;
// read with '.' or ',' as separator.
//
// The file is read again whenever its size, time stamp or inode changed since
// it was last seen, so two objects on one file see each other's writes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

class IniWriteBatch;

class TIniFile {
 public:
  explicit TIniFile(std::string path);

  const std::string& FileName() const { return path_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& default_value);
  // "0x"/"0X" prefix: hexadecimal (up to 32 bits, two's complement); otherwise
  // decimal with optional sign. The whole value must parse, else the default.
  int ReadInteger(const std::string& section, const std::string& key, int default_value);
  // The integer value != 0; the default when the value does not parse.
  bool ReadBool(const std::string& section, const std::string& key, bool default_value);
  // Finite numbers only; anything else gives the default.
  double ReadFloat(const std::string& section, const std::string& key, double default_value);

  // Line breaks in a value cannot be stored in one line, and other control
  // characters would make the file binary: they are written as blanks.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);  // "1"/"0"
  // Shortest form with up to 15 significant digits, '.' as separator.
  bool WriteFloat(const std::string& section, const std::string& key, double value);

  // True when the section holds at least one key (as the class library tells).
  bool SectionExists(const std::string& section);
  bool ValueExists(const std::string& section, const std::string& key);
  // Key names of the section in file order, with their spelling in the file.
  std::vector<std::string> ReadSection(const std::string& section);
  std::vector<std::string> ReadSections();
  // Every value the reads above can see, in file order: the first section of
  // each name, in it the first key of each name, the value as ReadString
  // gives it; with one look at the file.
  struct Value {
    std::string Section, Key, Text;
  };
  std::vector<Value> ReadAllValues();
  bool EraseSection(const std::string& section);
  bool DeleteKey(const std::string& section, const std::string& key);
  // Writes what a failed write left only in memory; true when the file holds
  // the in-memory state.
  bool UpdateFile();

  bool LastWriteFailed() const { return last_write_failed_; }
  // The system's reason for the last failed write (empty after a good one).
  const std::string& LastError() const { return last_error_; }
  // "Unable to write to <file>".
  std::string WriteFailureMessage() const;
  // Why the file in the file's place cannot be used ("Is a directory",
  // "Holds binary data, not text", ...), without a full stop; empty when it
  // was read or there is none.
  std::string Problem();

 private:
  friend class IniWriteBatch;

  enum class LineKind : std::uint8_t { kOther, kSection, kKey };
  // One line as in the file, without its line end; a section's or key's name
  // and a key's value (trimmed, quotes still on) are places in it.
  struct Line {
    std::string raw;
    std::uint32_t name_at = 0, name_size = 0, value_at = 0, value_size = 0;
    LineKind kind = LineKind::kOther;
    std::string_view Name() const { return std::string_view(raw).substr(name_at, name_size); }
    std::string_view Value() const { return std::string_view(raw).substr(value_at, value_size); }
  };
  // A section header with the lines up to the next one; the first "section"
  // holds the lines before any header and has none.
  struct Section {
    std::vector<Line> lines;
    bool erased = false;  // removed from the file; its place stays so the index holds
    // Case-folded key name -> line of its first key; made when a long
    // section is first looked into, dropped when keys are removed.
    mutable std::unique_ptr<std::unordered_map<std::string, std::size_t>> keys;
  };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    std::int64_t mtime_ns = 0;
    bool operator==(const FileStamp&) const = default;
  };

  static FileStamp StampOf(const struct stat& st);
  void Refresh();
  void Load();
  void Parse(const std::string& text);
  void Clear();
  bool Store();
  bool Fail(const std::string& reason);
  // Index of the first live section of that (trimmed) name, or kNone.
  std::size_t FindSection(std::string_view section) const;
  // Line of the first key of that name in the section, or kNone.
  std::size_t FindKey(std::size_t section, std::string_view key) const;
  const Line* FindValue(const std::string& section, const std::string& key);
  bool SetValue(const std::string& section, const std::string& key, const std::string& value);
  // The file is changed in memory: stored now, or at the end of an open batch.
  bool Changed();
  void BeginBatch();
  bool EndBatch();

  std::string path_;
  std::vector<Section> sections_;
  // Case-folded section name -> index of its first live section.
  std::unordered_map<std::string, std::size_t> first_section_;
  bool bom_ = false;
  FileStamp stamp_;       // of the file as last loaded or written
  bool loaded_ = false;
  bool unreadable_ = false;  // exists but cannot be read: never overwritten
  std::string problem_;      // why, when unreadable
  bool dirty_ = false;       // memory holds changes the file lacks
  bool last_write_failed_ = false;
  std::string last_error_;
  int batch_depth_ = 0;        // open batches
  std::string batch_refusal_;  // why a write of the open batch was refused
};

// Many writes, one replace of the file: from its creation until Commit() (or
// its destruction) the file's writes go to memory only; Commit() writes the
// file once. Commit() is false when the file could not be written or a write
// in between was refused; the file reports the reason as for any write, so a
// caller reports a failure once for the whole batch. Batches may nest; the
// outermost one writes.
class IniWriteBatch {
 public:
  explicit IniWriteBatch(TIniFile& ini);
  ~IniWriteBatch();
  IniWriteBatch(const IniWriteBatch&) = delete;
  IniWriteBatch& operator=(const IniWriteBatch&) = delete;

  bool Commit();

 private:
  TIniFile& ini_;
  bool open_ = true;
};

// A colour (0x00BBGGRR) of the "Colors" section; whatever else a damaged
// file holds above the 24 colour bits is dropped.
std::uint32_t ReadColourEntry(TIniFile& ini, const char* key, std::uint32_t def);

// A Boolean key of the program's own settings, written "1" or "0": any other
// value lies outside the key's range and gives the default, so a damaged
// file cannot switch anything on.
bool ReadFlagKey(TIniFile& ini, const std::string& section, const std::string& key, bool def);

// "Unable to write to %s" with the file name.
std::string UnableToWriteMessage(const std::string& file_name);
