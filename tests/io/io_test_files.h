// Reading back what the program wrote.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace io_test {

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace io_test
