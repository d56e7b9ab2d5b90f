#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "designer/designergrid.h"

namespace vorendal::test {

// Columns 1 to 5 of one field row: name, type letter, size, key mark, null flag.
using FieldRow = std::array<std::string, 5>;

// A set-up grid whose field rows 1, 2, ... hold rows.
DesignerGrid gridWith(const std::vector<FieldRow>& rows);
// Field rows first to last of the grid.
std::vector<FieldRow> fieldRows(const DesignerGrid& grid, int first, int last);
// n rows named F1, F2, ... of type I.
std::vector<FieldRow> numberedRows(int n);

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder for one test, removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace vorendal::test
