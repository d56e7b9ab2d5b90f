// "Importar" in the window: the data export of a dBASE or Paradox table into the script pane,
// through the button's handler (progress dialog included), until the pane has shown the result.
// Runs offscreen unless a platform is given. Prints the peak memory of the process and an error
// the window would show (the pane's capacity reached, say).
//
//   vorendal_bench_export_pane [records] [dbf|paradox]     (default 100,000 dbf)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QPushButton>
#include <QToolButton>
#include <unistd.h>

#include "app/filelistbox.h"
#include "app/prompts.h"
#include "app/scriptpane.h"
#include "app/tform1.h"
#include "tests/fixtures/benchtables.h"

namespace {

// Dialogs answer as cancelled; an error is printed.
class BenchPrompts : public vorendal::Prompts {
public:
    std::optional<QString> openFileName(const vorendal::FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFileName(const vorendal::FileDialogRequest&) override { return {}; }
    void error(const QString& message) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(message));
    }
    void message(const QString& text) override { std::printf("%s\n", qPrintable(text)); }
};

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
    const auto records =
        static_cast<std::uint32_t>(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000);
    const bool paradox = argc > 2 && std::string(argv[2]) == "paradox";
    const auto folder = std::filesystem::temp_directory_path() /
                        ("vorendal-bench-pane-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    if (paradox)
        vorendal::fixtures::writeParadoxBenchmarkTable(folder / "bench.db", records);
    else
        vorendal::fixtures::writeDbfBenchmarkTable(folder / "bench.dbf", records);
    std::filesystem::current_path(folder);

    BenchPrompts prompts;
    {
        vorendal::TForm1 form(prompts);
        form.show();
        QApplication::processEvents();
        if (paradox)
            form.SpeedButton2->click(); // the "*.db" mask
        form.FileListBox1->item(0)->setSelected(true);

        const auto start = std::chrono::steady_clock::now();
        form.BitBtn6->click();
        QApplication::processEvents(); // the handler returns: the pane shows the end
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("Importar (%s): %u records into the pane in %.3f s (%.0f records/s), %d lines, "
                    "%.1f MB of text, peak memory %.1f MiB\n",
                    paradox ? "paradox" : "dbf", records, seconds, records / seconds,
                    form.RichEdit1->lineCount(), static_cast<double>(form.RichEdit1->used()) / 1e6,
                    static_cast<double>(peakKilobytes()) / 1024.0);
    }
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
