#pragma once

class QWidget;

namespace vorendal {

// Asks the window manager for a frame that carries the caption only: a title bar without the
// window menu and without the minimise, maximise and close buttons, over a resizable border.
// Qt hands the flags for that (CustomizeWindowHint | WindowTitleHint) to an X11 window manager
// as allowed actions only, and many managers then draw their whole title bar all the same; here
// the decoration hints go beside them. Call it when window, a top-level widget, has its native
// window and before that is mapped (from the showing of the window). Closing stays as the window
// handles it: a close request that reaches the window closes it. Does nothing on other platforms.
void showCaptionOnly(QWidget& window);

} // namespace vorendal
