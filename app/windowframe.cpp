#include "app/windowframe.h"

#include <cstdint>
#include <cstdlib>

#include <QGuiApplication>
#include <QWidget>

#ifdef VORENDAL_X11_FRAME
#include <xcb/xcb.h>
#endif

namespace vorendal {

#ifdef VORENDAL_X11_FRAME
namespace {

// _MOTIF_WM_HINTS, the property through which X11 window managers take decoration hints.
struct MotifWmHints {
    std::uint32_t flags;
    std::uint32_t functions;
    std::uint32_t decorations;
    std::int32_t inputMode;
    std::uint32_t status;
};
constexpr std::uint32_t kHintFunctions = 1U << 0;
constexpr std::uint32_t kHintDecorations = 1U << 1;
constexpr std::uint32_t kFunctionResize = 1U << 1;
constexpr std::uint32_t kFunctionMove = 1U << 2;
constexpr std::uint32_t kDecorationBorder = 1U << 1;
constexpr std::uint32_t kDecorationResizeHandle = 1U << 2;
constexpr std::uint32_t kDecorationTitle = 1U << 3;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name, std::uint16_t length) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, length, name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    free(reply);
    return atom;
}

} // namespace

void showCaptionOnly(QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    xcb_connection_t* connection = x11->connection();
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    const xcb_atom_t atom = internAtom(connection, kName, sizeof kName - 1);
    if (atom == XCB_ATOM_NONE)
        return;
    // moved and resized by the user; no window menu, no minimise, maximise or close
    const MotifWmHints hints{kHintFunctions | kHintDecorations, kFunctionMove | kFunctionResize,
                             kDecorationBorder | kDecorationResizeHandle | kDecorationTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), atom, atom, 32, 5, &hints);
    xcb_flush(connection);
}

#else

void showCaptionOnly(QWidget& /*window*/) {}

#endif

} // namespace vorendal
