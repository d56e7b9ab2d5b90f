// Appends lines of 80 characters to the script pane through appendLine, as the generators do,
// then lets the event loop hand them to the document and shows the end of the text. Reports lines
// per second and the peak memory of the process. Runs offscreen unless a platform is given.
//
//   bench_pane_append [lines]        (default 1,000,000)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include "app/scriptpane.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long lines = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;

    vorendal::ScriptPane pane;
    // 1,000,000 lines of 80 characters and their line breaks are 82,000,000 characters, more than
    // the pane's capacity: the benchmark measures the append path, so it lifts the capacity.
    pane.setCapacity(static_cast<std::size_t>(lines) * 82 + 1);
    pane.resize(539, 389);
    pane.show();
    QApplication::processEvents();
    const long before = peakKilobytes();

    std::string line(80, 'x');
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < lines; ++i) {
        const std::string number = std::to_string(i);
        line.replace(0, number.size(), number);
        pane.appendLine(line);
    }
    const double appended = secondsSince(start);
    QApplication::processEvents(); // the handler returns: the view catches up
    const double total = secondsSince(start);

    const auto shown = std::chrono::steady_clock::now();
    pane.verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    pane.verticalScrollBar()->setValue(pane.verticalScrollBar()->maximum());
    pane.repaint();
    const double scrolled = secondsSince(shown);

    // typing at the end, as the user would after a long export
    const auto typing = std::chrono::steady_clock::now();
    pane.setFocus();
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(&pane, &end);
    for (const char c : std::string("-- fim")) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QLatin1Char(c)));
        QApplication::sendEvent(&pane, &key);
        pane.repaint();
    }
    const double typed = secondsSince(typing);
    const int paneLines = pane.lineCount();

    // "Limpar" of the whole pane (larger than the undo budget: it clears the history instead of
    // copying the text), then a generator run of 100,000 lines, taken back and done again
    const auto clearing = std::chrono::steady_clock::now();
    pane.clearText();
    const double cleared = secondsSince(clearing);
    {
        const vorendal::ScriptPane::AppendGroup run(pane);
        for (long i = 0; i < 100000; ++i)
            pane.appendLine(line);
    }
    const auto undoing = std::chrono::steady_clock::now();
    pane.undo();
    const double undone = secondsSince(undoing);
    const auto redoing = std::chrono::steady_clock::now();
    pane.redo();
    const double redone = secondsSince(redoing);

    std::printf("lines:            %ld of 80 characters\n", lines);
    std::printf("appendLine calls: %.3f s\n", appended);
    std::printf("shown in the pane: %.3f s  -> %.0f lines/s\n", total,
                total > 0 ? static_cast<double>(lines) / total : 0.0);
    std::printf("scroll top/end:   %.3f s\n", scrolled);
    std::printf("type 6 keys at end: %.3f s\n", typed);
    std::printf("Limpar:           %.3f s\n", cleared);
    std::printf("undo / redo of a 100,000-line run: %.3f s / %.3f s (%d lines after)\n", undone,
                redone, pane.lineCount());
    std::printf("pane lines:       %d (the default capacity holds %zu such lines)\n", paneLines,
                vorendal::ScriptPane::kCapacity / 82);
    std::printf("peak memory:      %.1f MiB (%.1f MiB before the appends)\n",
                static_cast<double>(peakKilobytes()) / 1024.0,
                static_cast<double>(before) / 1024.0);
    return 0;
}
