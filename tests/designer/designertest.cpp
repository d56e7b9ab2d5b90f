#include "designertest.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace vorendal::test {

namespace fs = std::filesystem;

DesignerGrid gridWith(const std::vector<FieldRow>& rows) {
    DesignerGrid grid;
    grid.setUp();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < 5; ++c)
            grid.setCell(c + 1, static_cast<int>(r) + 1, rows[r][static_cast<std::size_t>(c)]);
    }
    return grid;
}

std::vector<FieldRow> fieldRows(const DesignerGrid& grid, int first, int last) {
    std::vector<FieldRow> rows;
    for (int r = first; r <= last; ++r) {
        FieldRow row;
        for (int c = 0; c < 5; ++c)
            row[static_cast<std::size_t>(c)] = grid.cell(c + 1, r);
        rows.push_back(row);
    }
    return rows;
}

std::vector<FieldRow> numberedRows(int n) {
    std::vector<FieldRow> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back({"F" + std::to_string(i), "I", "0", "", ""});
    return rows;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TempFolder::TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) {
        if (c == '/')
            c = '-';
    }
    m_path = fs::temp_directory_path() /
             ("vorendal-designer-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

} // namespace vorendal::test
