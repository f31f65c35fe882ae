// A key as the user types it: press and release, sent to the widget that
// has the keyboard focus (or the window itself when nothing in it has).
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

inline void PressKey(QWidget* target, Qt::Key key) {
  const Qt::KeyboardModifiers mods = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
  QString text;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: text = QStringLiteral("\r"); break;
    case Qt::Key_Space: text = QStringLiteral(" "); break;
    case Qt::Key_Escape: text = QString(QChar(27)); break;
    default: break;
  }
  QPointer<QWidget> alive(target);
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(target, &press);
  if (!alive) return;
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(target, &release);
}

inline const char* KeyName(Qt::Key key) {
  switch (key) {
    case Qt::Key_Return: return "Return";
    case Qt::Key_Enter: return "Enter";
    case Qt::Key_Space: return "Space";
    case Qt::Key_Escape: return "Escape";
    default: return "key";
  }
}
