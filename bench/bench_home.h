// HOME and the XDG folders in a temporary folder for the life of a benchmark
// run, so a run never touches the user's settings.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchHome {
 public:
  ScratchHome() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "darvik48-bench-XXXXXX").string();
    if (mkdtemp(tmpl.data())) path_ = tmpl;
    if (path_.empty()) return;
    setenv("HOME", path_.c_str(), 1);
    setenv("XDG_DATA_HOME", (path_ + "/.local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (path_ + "/.config").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
  }
  ~ScratchHome() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;
  bool ok() const { return !path_.empty(); }

 private:
  std::string path_;
};
