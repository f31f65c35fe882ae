// The scope window's File, Edit and Help items for pictures, printing, text
// export, the scope data file, help and about, with their dialogs. nullptr
// until the window has built them.
#pragma once

#include "platform/ui/vcl.h"

namespace engine::files {

struct FileMenuControls {
  // File: "Open Image...", "Save Image...", "Save FFT Data...", "Export
  // Waveform 1" and "2", "Print...", "Print Setup...", "Exit"; the "Edit"
  // menu with "Copy" and "Paste"; the "Help" menu.
  TMenuItem* Open1 = nullptr;
  TMenuItem* Save1 = nullptr;
  TMenuItem* SaveDataAs1 = nullptr;
  TMenuItem* ExportWaveformCH11 = nullptr;
  TMenuItem* ExportWaveformofCh21 = nullptr;
  TMenuItem* Print1 = nullptr;
  TMenuItem* PrintSetup1 = nullptr;
  TMenuItem* Exit1 = nullptr;
  TMenuItem* Edit2 = nullptr;
  TMenuItem* Copy1 = nullptr;
  TMenuItem* Paste1 = nullptr;
  TMenuItem* Help1 = nullptr;
  TMenuItem* Help2 = nullptr;
  TMenuItem* FunctionGenerorHelp1 = nullptr;
  TMenuItem* About2 = nullptr;
  TMenuItem* CheckForUpdates1 = nullptr;
  TMenuItem* SupportForum1 = nullptr;
  // File "Save DSO Data..." and "Open DSO Data...", built with the settings
  // files' items.
  TMenuItem* SaveDSOData1 = nullptr;
  TMenuItem* OpenData1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;           // pictures
  TOpenPictureDialog* OpenPictureDialog1 = nullptr;
  TSaveDialog* SaveDialog2 = nullptr;           // spectrum table and data files
  TSaveDialog* SaveDialog5 = nullptr;           // waveform export
  TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;
  TMemo* Memo1 = nullptr;                       // the spectrum table, not shown
};

}  // namespace engine::files
