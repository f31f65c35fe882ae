// The about boxes of the oscilloscope, the recorder and the generator: name,
// version, maker and device model; the oscilloscope's also the firmware
// version and a link to the maker's web site.
#pragma once

#include <string>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace io {

// The maker's web site and support forum.
inline const std::string kMakerHost = "www.brastel.example";
inline const std::string kMakerHomePage = "https://www.brastel.example/";
inline const std::string kSupportHost = "forum.brastel.example";
inline const std::string kSupportForumPage = "https://forum.brastel.example/";

inline constexpr const char* kPlatformText = "For Linux";
inline constexpr const char* kMakerText = "Brastel";
inline constexpr const char* kModelText = "Darvik48";

}  // namespace io

// What the three boxes share: a modal dialog centred on the screen with the
// title, platform, version, maker and model lines.
class AboutWindow : public TForm {
 public:
  AboutWindow(TComponent* owner, const std::string& caption, const std::string& title, const std::string& version);

  TLabel* ProductName = nullptr;
  TLabel* Platform = nullptr;
  TLabel* Version = nullptr;
  TLabel* Maker = nullptr;
  TLabel* Model = nullptr;

 protected:
  // The next free line for a label below the shared ones.
  int next_top_ = 0;
};

class TAboutBox : public AboutWindow {
 public:
  explicit TAboutBox(TComponent* owner);

  // The firmware version, filled in once the device has reported it.
  TLabel* Label2 = nullptr;
  // The maker's web host; a click opens the home page.
  TLabel* Label6 = nullptr;
  TGrSpeedButton* GrSpeedButton1 = nullptr;  // "OK"

  void GrSpeedButton1Click(TObject* Sender);
  void Label6Click(TObject* Sender);
};

inline TAboutBox* AboutBox = nullptr;
