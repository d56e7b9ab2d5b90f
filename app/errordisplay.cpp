#include "app/errordisplay.h"

#include <QWidget>

#include "app/ansitext.h"
#include "app/prompts.h"
#include "base/exceptions.h"

namespace vorendal {

std::string withFullStop(std::string message) {
    // byte order: everything above '.' (0x2E) gets the full stop, 1252 letters 0x80-0xFF included
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}

std::optional<QString> errorDisplayText(const std::exception_ptr& error) {
    if (!error)
        return std::nullopt;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return std::nullopt;
    } catch (const Exception& e) {
        return toQString(withFullStop(e.message()));
    } catch (const std::exception& e) {
        return QString::fromUtf8(withFullStop(e.what()));
    } catch (...) {
        return QStringLiteral("Unknown exception.");
    }
}

void showError(Prompts& prompts, const std::exception_ptr& error) noexcept {
    try {
        if (QWidget* grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
        if (const auto text = errorDisplayText(error))
            prompts.error(*text);
    } catch (...) {
        // the display itself failed (out of memory): nothing sensible is left to show
    }
}

} // namespace vorendal
