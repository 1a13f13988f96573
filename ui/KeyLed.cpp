#include "ui/KeyLed.h"

#include <unistd.h>

#include <optional>

#include "common/Files.h"

#include <QGuiApplication>

// X11 headers last: they define macros (None, Bool, Status...) that clash
// with names used inside Qt headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#undef None
#undef Bool
#undef Status
#undef Unsorted

namespace epinax::ui {

namespace {

using Lock = IKeyboardLocks::Lock;

IKeyboardLocks* testLocks = nullptr;

// The X display of the application, or a private connection when Qt does
// not hand one out; closed again when the handle goes.
class DisplayHandle {
public:
    DisplayHandle()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
        display_ = ApplicationDisplay();
        if (!display_) {
            display_ = XOpenDisplay(nullptr);
            own_ = display_ != nullptr;
        }
    }
    ~DisplayHandle()
    {
        if (own_) XCloseDisplay(display_);
    }
    DisplayHandle(const DisplayHandle&) = delete;
    DisplayHandle& operator=(const DisplayHandle&) = delete;

    Display* get() const { return display_; }

private:
    static Display* ApplicationDisplay()
    {
#if QT_CONFIG(xcb)
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) return x11->display();
#endif
        return nullptr;
    }

    Display* display_ = nullptr;
    bool own_ = false;
};

KeySym LockKeySym(Lock lock)
{
    switch (lock) {
    case Lock::Caps: return XK_Caps_Lock;
    case Lock::Num: return XK_Num_Lock;
    case Lock::Scroll: return XK_Scroll_Lock;
    }
    return XK_Caps_Lock;
}

// The modifier a lock key latches; 0 when the keyboard map binds none (as is
// usual for Scroll Lock).
unsigned int ModifierOf(Display* display, Lock lock)
{
    if (lock == Lock::Caps) return LockMask;
    return XkbKeysymToModifiers(display, LockKeySym(lock));
}

// Scroll Lock has no modifier on most maps; its state is its indicator.
Atom ScrollIndicator(Display* display) { return XInternAtom(display, "Scroll Lock", False); }

bool ReadIndicator(Display* display)
{
    int on = 0;
    if (!XkbGetNamedIndicator(display, ScrollIndicator(display), nullptr, &on, nullptr, nullptr)) return false;
    return on != 0;
}

bool ReadLock(Lock lock)
{
    if (testLocks) return testLocks->IsOn(lock);
    DisplayHandle handle;
    Display* display = handle.get();
    if (!display) return false;
    const unsigned int mask = ModifierOf(display, lock);
    if (mask == 0) return lock == Lock::Scroll && ReadIndicator(display);
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return false;
    return (state.locked_mods & mask) != 0;
}

void WriteLock(Lock lock, bool on)
{
    if (ReadLock(lock) == on) return;
    if (testLocks) return testLocks->Set(lock, on);
    DisplayHandle handle;
    Display* display = handle.get();
    if (!display) return;
    const unsigned int mask = ModifierOf(display, lock);
    if (mask != 0)
        XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? mask : 0);
    else if (lock == Lock::Scroll)
        XkbSetNamedIndicator(display, ScrollIndicator(display), True, on, False, nullptr);
    // Wait for the server, so that reading straight after sees the change.
    XSync(display, False);
}

}  // namespace

TKeyLed::TKeyLed(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral(u"KeyLed")); }

bool TKeyLed::CapsLock() const { return ReadLock(Lock::Caps); }
bool TKeyLed::NumLock() const { return ReadLock(Lock::Num); }
bool TKeyLed::ScrollLock() const { return ReadLock(Lock::Scroll); }

void TKeyLed::SetCapsLock(bool on) { WriteLock(Lock::Caps, on); }
void TKeyLed::SetNumLock(bool on) { WriteLock(Lock::Num, on); }
void TKeyLed::SetScrollLock(bool on) { WriteLock(Lock::Scroll, on); }

void TKeyLed::SetLocksForTests(IKeyboardLocks* locks) { testLocks = locks; }

// Offscreen there is no keyboard at all, and nothing to give in its place.
bool TKeyLed::LocksAvailable() const
{
    if (testLocks) return testLocks->Available();
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

TCapsLockOff::TCapsLockOff(TKeyLed* keyLed) : keyLed_(keyLed), wasOn_(keyLed && keyLed->CapsLock())
{
    if (wasOn_) keyLed_->SetCapsLock(false);
}

TCapsLockOff::~TCapsLockOff()
{
    if (wasOn_) keyLed_->SetCapsLock(true);
}

QString TKeyLed::About() const
{
    return QStringLiteral(u"Version 1.1 - lock keys (Caps Lock, Num Lock, Scroll Lock) as properties, for e-ΠΙΝΑΞ");
}

TCapsLockAsFound::TCapsLockAsFound(TKeyLed* keyLed, std::string recordPath)
    : keyLed_(keyLed), recordPath_(std::move(recordPath))
{
    std::optional<std::string> recorded;
    try {
        recorded = ReadRegularFileUpTo(recordPath_, 1, TLinks::Refuse);
    } catch (const std::exception&) {
        // No record, or not one of ours: the state is read from the keyboard.
    }
    if (recorded && !recorded->empty()) {
        found_ = *recorded == "1";
    } else {
        found_ = keyLed_->CapsLock();
        try {
            ReplaceFile(recordPath_, found_ ? "1" : "0");
        } catch (const std::exception&) {
            // Unrecorded, the state is still given back at a normal exit.
        }
    }
    keyLed_->SetCapsLock(true);
}

void TCapsLockAsFound::Restore()
{
    keyLed_->SetCapsLock(found_);
    ::unlink(recordPath_.c_str());
}

}  // namespace epinax::ui
