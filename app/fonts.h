#pragma once

#include <QFont>

namespace vorendal {

// The window's two faces: "MS Sans Serif" and "Courier New" where present, else the nearest
// sans and fixed-width faces. Sizes are character heights in pixels, as the layout is in pixels.
class Fonts {
public:
    // The window font: sans, 11 pixels (8 points at 96 dots per inch).
    static QFont windowFont();
    static QFont sansFont(int pixelSize);
    static QFont fixedFont(int pixelSize, bool bold = false);
};

} // namespace vorendal
