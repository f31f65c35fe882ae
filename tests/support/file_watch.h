// What a peer sees of a file from outside: how often it was replaced, and a
// FIFO that a reader could wait on for ever.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>

// Counts the times `name` in `folder` is replaced by a rename (how the
// settings files are written whole), from the counter's creation on.
class FileReplaceCounter {
 public:
  FileReplaceCounter(const std::string& folder, std::string name);
  ~FileReplaceCounter();
  FileReplaceCounter(const FileReplaceCounter&) = delete;
  FileReplaceCounter& operator=(const FileReplaceCounter&) = delete;

  // Replacements seen so far.
  int Count();

 private:
  int fd_ = -1;
  std::string name_;
  int count_ = 0;
};

// A FIFO at `path`. Should the program open it for reading and wait, a
// writer opens and closes it after `grace`, so the wait ends (the reader sees
// an empty file) and the test can report it instead of hanging.
class FifoWithRescue {
 public:
  FifoWithRescue(const std::string& path, std::chrono::milliseconds grace);
  ~FifoWithRescue();
  FifoWithRescue(const FifoWithRescue&) = delete;
  FifoWithRescue& operator=(const FifoWithRescue&) = delete;

  bool Made() const { return made_; }

 private:
  std::string path_;
  bool made_ = false;
  std::atomic<bool> stop_{false};
  std::thread rescuer_;
};

// Something in a settings file's place that cannot be used as one, made at
// `path` (or, kLinkToText, a link to a usable file). Unchanged() tells
// whether it is still there as it was made.
class FileStandIn {
 public:
  enum class Kind { kFolder, kFifo, kLinkToNothing, kLoopingLink, kTooLarge, kBinary, kLinkToText };
  static constexpr Kind kAll[] = {Kind::kFolder,    Kind::kFifo,   Kind::kLinkToNothing, Kind::kLoopingLink,
                                  Kind::kTooLarge,  Kind::kBinary, Kind::kLinkToText};
  // `text` is what a usable file would hold: the link's target holds it,
  // the too large and the binary file carry it inside.
  FileStandIn(Kind kind, std::string path, const std::string& text);
  ~FileStandIn();
  FileStandIn(const FileStandIn&) = delete;
  FileStandIn& operator=(const FileStandIn&) = delete;

  bool Made() const { return made_; }
  bool Unchanged() const;
  // The file a link leads to.
  const std::string& Target() const { return target_; }
  // Why the program cannot use it, as it says; empty for a link to text.
  static std::string Reason(Kind kind);
  static std::string Name(Kind kind);

 private:
  Kind kind_;
  std::string path_, target_, bytes_;
  struct stat made_stat_ {};
  bool made_ = false;
  std::unique_ptr<FifoWithRescue> fifo_;
};
