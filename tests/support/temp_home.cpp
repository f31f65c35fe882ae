#include "support/temp_home.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {
std::string GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}
void Restore(const char* name, const std::string& value) {
  if (value.empty()) unsetenv(name);
  else setenv(name, value.c_str(), 1);
}
}  // namespace

TempHome::TempHome()
    : old_home_(GetEnv("HOME")), old_data_(GetEnv("XDG_DATA_HOME")),
      old_docs_(GetEnv("XDG_DOCUMENTS_DIR")), old_config_(GetEnv("XDG_CONFIG_HOME")) {
  std::string tmpl = (std::filesystem::temp_directory_path() / "darvik48-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
  setenv("HOME", path_.c_str(), 1);
  setenv("XDG_DATA_HOME", (path_ + "/.local/share").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (path_ + "/.config").c_str(), 1);
  unsetenv("XDG_DOCUMENTS_DIR");
}

TempHome::~TempHome() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  Restore("HOME", old_home_);
  Restore("XDG_DATA_HOME", old_data_);
  Restore("XDG_DOCUMENTS_DIR", old_docs_);
  Restore("XDG_CONFIG_HOME", old_config_);
}
