#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace vorendal {

// The window's own images, drawn at start: the command buttons' 16 x 16, 16-colour glyphs (each
// with its disabled form), the browser's folder images, the picture under the browser and the
// program's icon. Needs a QGuiApplication.
class Glyphs {
public:
    enum class Command { Sql, Clear, Save, Stored, End, Import };
    enum class Folder { Open, Current, Closed };

    // The glyph as drawn (16 x 16, 16 colours, transparent background).
    static QImage commandImage(Command command);
    // The glyph in the grey, embossed form of a disabled button.
    static QImage disabledImage(const QImage& glyph);
    // Both forms as one icon (normal and disabled modes).
    static QIcon commandIcon(Command command);

    static QPixmap folderImage(Folder kind);
    // The 177 x 57, 24-bit picture shown under the browser (Image2).
    static QImage bannerImage();
    // The window and task-bar icon.
    static QIcon applicationIcon();
};

} // namespace vorendal
