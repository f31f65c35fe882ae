// The generator engine's two ways to a library waveform: the open dialog of
// More Functions, and the name a wave sequence step or another program gives.
#include <filesystem>

#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "generator/library_wave.h"

namespace generator {

std::vector<std::string> LibraryFolders(const std::string& dataFolder, const std::string& programFolder) {
  return {dataFolder + "lib", programFolder + "lib"};
}

}  // namespace generator

namespace {


}  // namespace

bool TForm1_fgen::LoadLibraryFile(const std::string& path, bool tellWhy) {
  std::string why;
  const std::optional<generator::LibraryWave> wave = generator::ReadLibraryWaveFile(path, &why);
  if (wave && wave->Entries.empty()) why = "It holds no waveform (fewer than two points)";
  if (!why.empty()) {
    if (tellWhy) MessageDlg("Cannot open file " + path + ": " + why + ".", mtError, mbOK, 0);
    return false;
  }
  GeneratorState.LibraryFileName = path;
  SetCaption("Function Generator " + std::filesystem::path(path).filename().string());
  generator::ApplyLibraryWave(*wave, GeneratorState.BaseTable);
  GeneratorState.SineInBaseTable = 0;
  if (wave->Error) MessageDlg(generator::kDataErrorText, mtWarning, mbOK, 0);
  return true;
}

bool TForm1_fgen::file1_count() {
  if (!LibraryDialogUsed_) OpenDialog2->SetInitialDir(ScopeState.ProgramFolder + "lib");
  if (!OpenDialog2->Execute()) return false;
  // The next dialog opens where this file was.
  LibraryDialogUsed_ = true;
  OpenDialog2->SetInitialDir(std::filesystem::path(OpenDialog2->FileName()).parent_path().string());
  LoadLibraryFile(OpenDialog2->FileName(), true);
  return true;
}

bool TForm1_fgen::file3_count() {
  const std::vector<std::string> folders = generator::LibraryFolders(ScopeState.DataFolder, ScopeState.ProgramFolder);
  const std::optional<std::string> path = generator::FindLibraryFile(GeneratorState.SequenceLibFile, folders);
  return path && LoadLibraryFile(*path, false);
}
