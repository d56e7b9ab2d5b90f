#include "app/errordisplay.h"

#include <QWidget>

#include "app/ansitext.h"
#include "app/prompts.h"
#include "base/exceptions.h"

namespace vorendal {

std::optional<QString> errorDisplayText(const std::exception_ptr& error) {
    if (!error)
        return std::nullopt;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return std::nullopt;
    } catch (const Exception& e) {
        return toQString(displayText(e.message()));
    } catch (const std::exception& e) {
        return QString::fromUtf8(displayText(e.what()));
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
