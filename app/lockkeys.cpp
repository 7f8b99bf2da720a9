#include "lockkeys.h"

#include <QGuiApplication>

#if defined(ORVELLE_HAVE_XKB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
// Xlib's macros (Bool, None, Status ...) clash with Qt's names: include it last.
#include <X11/XKBlib.h>

namespace {
bool namedIndicator(Display *display, const char *name, bool *on)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == 0)
        return false;
    int index = 0;
    Bool state = False;
    if (!XkbGetNamedIndicator(display, atom, &index, &state, nullptr, nullptr))
        return false;
    *on = state;
    return true;
}
} // namespace

std::optional<LockKeyState> queryLockKeys()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    LockKeyState state;
    if (!namedIndicator(display, "Caps Lock", &state.caps))
        return std::nullopt;
    namedIndicator(display, "Num Lock", &state.num);
    namedIndicator(display, "Scroll Lock", &state.scroll);
    return state;
}

#else

std::optional<LockKeyState> queryLockKeys()
{
    return std::nullopt;
}

#endif
