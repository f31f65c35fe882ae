// What a peer sees of a file from outside: how often it was replaced, and a
// FIFO that a reader could wait on for ever.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
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
