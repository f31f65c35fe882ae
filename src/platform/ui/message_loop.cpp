#include "platform/ui/message_loop.h"

#include <utility>

#include <QTimer>
#include <QWidget>

#include "platform/ui/control.h"

bool PostToMessageLoop(TControl* context, std::function<void()> action) {
  QWidget* widget = context ? context->Widget() : nullptr;
  if (!widget) return false;
  // Tied to the widget, so it is dropped when the window goes first.
  QTimer::singleShot(0, widget, std::move(action));
  return true;
}
