#pragma once

#include <string>
#include <vector>

#include "scripts/linesink.h"
#include "scripts/scripttext.h"

namespace vorendal {

// The script pane's text model behind the line sink, as the window appends.
struct PaneSink : LineSink {
    ScriptText text;
    void appendLine(std::string_view line) override { text.appendLine(line); }
    std::vector<std::string> lines() const {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < text.lineCount(); ++i)
            all.push_back(text.row(i));
        return all;
    }
    std::string line(std::size_t i) const { return text.row(i); }
};

} // namespace vorendal
