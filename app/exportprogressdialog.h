#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "scripts/dataexport.h"

class QProgressDialog;
class QWidget;

namespace vorendal {

// The progress of a long data export: once the export has run for longer than the delay, a modal
// dialog over the window shows the records written so far and a "Cancelar" button. While it is
// shown the window takes no input. Lives as long as one export.
class ExportProgressDialog {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ExportProgressDialog(QWidget* parent, std::chrono::milliseconds delay,
                         Clock clock = &std::chrono::steady_clock::now);
    ~ExportProgressDialog();
    ExportProgressDialog(const ExportProgressDialog&) = delete;
    ExportProgressDialog& operator=(const ExportProgressDialog&) = delete;

    // The export's progress callback: shows the dialog when the delay has passed, updates it and
    // lets the dialog take its events. Throws EAbort once the user has cancelled.
    void update(std::uint64_t records);
    ExportProgress callback() {
        return [this](std::uint64_t records) { update(records); };
    }

private:
    void show();

    QWidget* m_parent;
    std::chrono::milliseconds m_delay;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastShown;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace vorendal
