// A temporary HOME with its own XDG folders for one test, removed afterwards.
#pragma once

#include <string>

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string old_home_, old_data_, old_docs_, old_config_;
};
