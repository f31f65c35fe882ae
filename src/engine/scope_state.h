// State of the oscilloscope engine that several windows share. Byte flags are
// 0 or 1.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/types.h"

namespace engine {

// ---- Device and acquisition flags
inline std::uint8_t DemoMode = 0;          // synthetic signals instead of the device
inline std::uint8_t DeviceOpen = 0;        // the USB link is open
inline std::uint8_t AcquisitionIdle = 1;   // no Run or Single loop is active
inline std::uint8_t RunStop = 0;           // the Run loop must end
inline std::uint8_t SingleStop = 0;        // the Single loop must end
inline std::uint8_t ScopeFileReplay = 0;   // a loaded data file is drawn without device traffic

// ---- Generator and Bode plotter
inline std::uint8_t GeneratorActive = 0;
inline std::uint8_t GenOutputOff = 0;
inline std::uint8_t BodeSweepRunning = 0;
inline std::uint8_t BodeStopFlag = 0;

// ---- Options
inline std::uint8_t RecallLastSettings = 0;     // save and recall the last settings
inline std::uint8_t RestoreDefaultsOnExit = 0;  // delete the settings files after writing them at close
inline std::uint8_t SuppressProbeNotice = 0;    // no x10 probe warning

// ---- Geometry of the scope picture Image1, set when the main window is created
inline std::int32_t ScreenX0 = 0;      // left edge of the graticule
inline std::int32_t ScreenY0 = 0;      // top edge of the graticule
inline std::int32_t TextLineY = 0;     // y of the bottom text line (read-outs)
inline std::int32_t MarkerLimitX = 0;  // right end of the horizontal marker lines
inline std::int32_t MarkerLimitY = 0;  // lower end of the vertical marker lines

// ---- Markers (pixels of Image1); a marker left of ScreenX0 or above ScreenY0 is not placed
inline std::int32_t TimeMarker1X = 0;
inline std::int32_t TimeMarker2X = 0;
inline std::int32_t VoltMarker1Y = 0;
inline std::int32_t VoltMarker2Y = 0;
inline std::int32_t FreqMarker1X = 0;
inline std::int32_t LevelMarker1Y = 0;
inline std::int32_t LevelMarker2Y = 0;

// ---- Screen colours
inline TColor BackgroundColor = 0xF5FFFF;

// ---- Folders ("/" separated)
inline std::string ProgramFolder;    // the program file's folder, with a trailing "/"
inline std::string DataFolder;       // settings files and the logic-file copy
inline std::string DocumentsFolder;  // start folder of the file dialogs, home of "Calibration.log"

}  // namespace engine
