// The "Calibration Results" window: its memo holds the report of the last
// automatic calibration, which is also saved as "Calibration.log".
#pragma once

#include "platform/ui/forms.h"
#include "platform/ui/text_controls.h"

class TForm9 : public TForm {
 public:
  explicit TForm9(TComponent* owner);

  TMemo* Memo1;  // the report, one line per memo line
};

inline TForm9* Form9 = nullptr;
