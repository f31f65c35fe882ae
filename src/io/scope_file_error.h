// Home of the scope data-file reader ("File Error"): loads a data file into
// the sample block and shows the reader's one error message.
#pragma once

#include <string>

#include "io/file_error_window.h"

class TForm5 : public FileErrorWindow {
 public:
  explicit TForm5(TComponent* owner);

  // Asks for a file and loads it whole: a file that is not a scope data file
  // (a missing step, a short file, a bad number or sample) changes nothing
  // and says so here; one that cannot be read says why.
  void LoadScopeDataFile();
};

inline TForm5* Form5 = nullptr;
