// The lock keys of the keyboard (Caps Lock, Num Lock, Scroll Lock) as
// properties: the entry forms switch Caps Lock on for Greek capitals and
// restore it afterwards. Works on X11; elsewhere reads false and changes
// nothing, since other platforms give no portable access to the locks.
#pragma once

#include <QObject>
#include <QString>
#include <string>

namespace epinax::ui {

// Where the lock states are kept: the X server, or a stand-in that a test
// installs so that no X server is needed.
class IKeyboardLocks {
public:
    enum class Lock { Caps, Num, Scroll };
    virtual ~IKeyboardLocks() = default;
    virtual bool IsOn(Lock lock) = 0;
    virtual void Set(Lock lock, bool on) = 0;
    // False where the desktop lets no program switch the locks (Wayland).
    virtual bool Available() { return true; }
};

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

    // Whether the locks can be switched at all: not under Wayland, where the
    // program gives Caps Lock's effect itself.
    bool LocksAvailable() const;

    // Every TKeyLed then works on `locks` (nullptr: the X server again).
    static void SetLocksForTests(IKeyboardLocks* locks);
};

// Caps Lock off for the life of a file dialog: the Greek capitals of the
// data are wrong for file names on a file system that tells case apart.
// Afterwards the lock is as it was.
class TCapsLockOff {
public:
    explicit TCapsLockOff(TKeyLed* keyLed);
    ~TCapsLockOff();
    TCapsLockOff(const TCapsLockOff&) = delete;
    TCapsLockOff& operator=(const TCapsLockOff&) = delete;

private:
    TKeyLed* keyLed_;
    bool wasOn_;
};

// Caps Lock as the user had it before the program switched it on for the
// Greek capitals of the data. The state found is recorded in a file while the
// program runs: a run that ended without closing (a crash, a kill) leaves
// the lock on and the record behind, and the next run gives back the state
// recorded then rather than the one the crash left.
class TCapsLockAsFound {
public:
    // Records the state found (or takes the one a crashed run recorded in
    // `recordPath`) and switches the lock on.
    TCapsLockAsFound(TKeyLed* keyLed, std::string recordPath);
    // At exit: the lock as found, and the record removed.
    void Restore();

private:
    TKeyLed* keyLed_;
    std::string recordPath_;
    bool found_ = false;
};

}  // namespace epinax::ui
