#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "designer/designergrid.h"

namespace vorendal::test {

// Field rows written as text: rows separated by ";", the five cells of a row by "|".
// "codigo|i||x|;nome|v|60||N" is rows 1 and 2; cells left out are empty.
inline DesignerGrid gridWith(const std::string& rows) {
    DesignerGrid grid;
    grid.setUp();
    int row = 1;
    int col = 1;
    std::string text;
    for (std::size_t i = 0; i <= rows.size(); ++i) {
        if (i < rows.size() && rows[i] != '|' && rows[i] != ';') {
            text += rows[i];
            continue;
        }
        grid.setCell(col++, row, text);
        text.clear();
        if (i < rows.size() && rows[i] == ';') {
            ++row;
            col = 1;
        }
    }
    return grid;
}

// Field rows first to last in the form gridWith takes, every cell written out.
inline std::string fieldRows(const DesignerGrid& grid, int first, int last) {
    std::string text;
    for (int r = first; r <= last; ++r) {
        for (int c = 1; c <= 5; ++c)
            text += grid.cell(c, r) + (c < 5 ? "|" : r < last ? ";" : "");
    }
    return text;
}

// n rows "F1|I|0||" ... joined by ";".
inline std::string numberedRows(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += "F" + std::to_string(i) + "|I|0||" + (i < n ? ";" : "");
    return text;
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A fresh folder for one test, removed at the end.
struct TempFolder {
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("vorendal-designer-" + std::to_string(::getpid()));
};

} // namespace vorendal::test
