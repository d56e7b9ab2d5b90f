// Opening a table, with the code page left to the engine (a table that names none is sampled
// and its page detected) and with the page forced (no sampling): the difference is the cost of
// detection. Prints milliseconds per opening for both.
//
//   vorendal_bench_open TABLE [OPENINGS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "source/engine/codepagechoice.h"
#include "source/ttable.h"

namespace {

double millisPerOpening(vorendal::TTable& table, int openings) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < openings; ++i) {
        table.Open();
        table.Close();
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - t0;
    return spent.count() / openings;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TABLE [OPENINGS]\n", argv[0]);
        return 2;
    }
    const int openings = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    try {
        vorendal::TTable table;
        table.setTableName(vorendal::utf8ToAnsi(argv[1]));
        table.Open();
        const auto chosen = table.codePageUsed();
        table.Close();
        const double chosenMs = millisPerOpening(table, openings);
        table.setCodePage(chosen.number);
        const double forcedMs = millisPerOpening(table, openings);
        std::printf("page %s (%s): %.3f ms per opening; forced: %.3f ms; detection: %.3f ms\n",
                    vorendal::engine::codePageName(chosen.number).c_str(),
                    vorendal::engine::codePageReasonName(chosen.reason), chosenMs, forcedMs,
                    chosenMs - forcedMs);
    } catch (const vorendal::Exception& e) {
        std::fprintf(stderr, "%s\n", e.message().c_str());
        return 1;
    }
    return 0;
}
