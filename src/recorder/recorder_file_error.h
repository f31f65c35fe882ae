// The recorder's data-file reader: opens a data file or AutoSave log and
// pages through it 2000 rows at a time. Its window ("File Error") shows the
// one message of a file that is not a recorder file.
#pragma once

#include <string>

#include "io/file_error_window.h"

namespace engine {
struct ScopeSharedState;
}
namespace recorder {
struct RecorderSharedState;
}

class TForm5_rec : public FileErrorWindow {
 public:
  // The pages read go into the recorder's `state`; the files are looked for
  // in the documents folder of the `scope`'s state.
  TForm5_rec(TComponent* owner, recorder::RecorderSharedState& state, const engine::ScopeSharedState& scope);

  // "Open Data...": the first page of a chosen file. A file that cannot be
  // read, is not a recorder file or has a bad field is refused whole with its
  // message; one whose last row was cut off shows its whole rows and says so.
  void LoadDataFile();
  // ">>" and "<<": the page after or before the one shown.
  void LoadNextPage();
  void LoadPreviousPage();

 private:
  recorder::RecorderSharedState& RecorderState;
  const engine::ScopeSharedState& ScopeState;
  // The whole file, or nothing when it cannot be read (the user is told why).
  static bool ReadFileText(const std::string& path, std::string& text);
};

inline TForm5_rec* Form5_rec = nullptr;
