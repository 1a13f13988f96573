// The lock keys of the keyboard (Caps Lock, Num Lock, Scroll Lock) as
// properties: the entry forms switch Caps Lock on for Greek capitals and
// restore it afterwards. Works on X11; elsewhere reads false and changes
// nothing, since other platforms give no portable access to the locks.
#pragma once

#include <QObject>
#include <QString>

namespace epinax::ui {

class TKeyLed : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool CapsLock READ CapsLock WRITE SetCapsLock)
  Q_PROPERTY(bool NumLock READ NumLock WRITE SetNumLock)
  Q_PROPERTY(bool ScrollLock READ ScrollLock WRITE SetScrollLock)
  Q_PROPERTY(QString About READ About CONSTANT)

 public:
  explicit TKeyLed(QObject* parent = nullptr);

  bool CapsLock() const;
  bool NumLock() const;
  bool ScrollLock() const;
  // Each setter changes the lock only when it is not already in that state.
  void SetCapsLock(bool on);
  void SetNumLock(bool on);
  void SetScrollLock(bool on);

  QString About() const;
};

}  // namespace epinax::ui
