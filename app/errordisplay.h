#pragma once

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include <QString>

namespace vorendal {

class Prompts;

// The text the error display shows for an exception, or nothing for a silent abort (EAbort).
// The system's own messages are Windows-1252; other std::exception messages are taken as UTF-8.
std::optional<QString> errorDisplayText(const std::exception_ptr& error);

// The error display: cancels a mouse capture, then shows errorDisplayText in prompts' error box
// (nothing for EAbort). Never throws.
void showError(Prompts& prompts, const std::exception_ptr& error) noexcept;

// Runs handler and hands any exception it throws to the error display, so that no exception
// unwinds through Qt's event dispatch. Every event handler of the window enters through it.
template <typename Handler> void guarded(Prompts& prompts, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        showError(prompts, std::current_exception());
    }
}

} // namespace vorendal
