// Menu items and picture dialogs that several windows add the same way.
#pragma once

#include <string>

#include "platform/ui/vcl.h"
#include "widgets/control_maker.h"

namespace io {

// Adds items to a menu one after the other from a starting place.
class MenuInserter {
 public:
  MenuInserter(ControlMaker& make, TMenuItem* menu, int at) : make_(make), menu_(menu), at_(at) {}
  // "-" makes a separator.
  TMenuItem* operator()(const std::string& name, const std::string& caption, TNotifyEvent handler = nullptr) {
    TMenuItem* item = make_.Item(name, caption);
    item->OnClick = std::move(handler);
    menu_->Insert(at_++, item);
    return item;
  }

 private:
  ControlMaker& make_;
  TMenuItem* menu_;
  int at_;
};

// The save and open dialogs of a window's picture ("SaveDialog1",
// "OpenPictureDialog1") and its printer setup dialog.
template <class Window>
void MakePictureDialogs(Window& window) {
  window.SaveDialog1 = new TSaveDialog(&window);
  window.SaveDialog1->Name = "SaveDialog1";
  window.OpenPictureDialog1 = new TOpenPictureDialog(&window);
  window.OpenPictureDialog1->Name = "OpenPictureDialog1";
  window.PrinterSetupDialog1 = new TPrinterSetupDialog(&window);
  window.PrinterSetupDialog1->Name = "PrinterSetupDialog1";
}

}  // namespace io
