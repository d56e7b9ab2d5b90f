#include "designer/designergrid.h"

#include <array>
#include <utility>

namespace vorendal {
namespace {

constexpr std::array<std::string_view, DesignerGrid::kColumns> kHeadings = {
    "ID", "Nome do campo", "TP", "Tam.", "Key (*)", "Nulo (S/N)"};

// 1252 text: "ã" is 0xE3.
constexpr std::array<std::string_view, DesignerGrid::kColumns> kHints = {
    "",
    "Obs: Nome do campo",
    "Obs: Tipo do campo V/I/B/N/C/D/T/M",
    "Obs: Tamanho do campo",
    "Obs: Informe * para definir a CHAVE PRIMARIA",
    "Obs: S=>Aceita Nulo  N=> N\xE3o aceita"};

std::string threeDigits(int number) {
    return {static_cast<char>('0' + number / 100), static_cast<char>('0' + number / 10 % 10),
            static_cast<char>('0' + number % 10)};
}

} // namespace

DesignerGrid::DesignerGrid() : m_cells(static_cast<std::size_t>(kColumns * kRows)) {}

bool DesignerGrid::contains(int col, int row) const {
    return col >= 0 && col < kColumns && row >= 0 && row < kRows;
}

const std::string& DesignerGrid::cell(int col, int row) const {
    static const std::string empty;
    if (!contains(col, row))
        return empty;
    return m_cells[static_cast<std::size_t>(row * kColumns + col)];
}

void DesignerGrid::setCell(int col, int row, std::string_view text) {
    if (!contains(col, row))
        return;
    std::string& stored = m_cells[static_cast<std::size_t>(row * kColumns + col)];
    if (stored == text)
        return;
    stored.assign(text);
    if (m_cellChanged)
        m_cellChanged(col, row);
}

void DesignerGrid::setUp() {
    for (int col = 0; col < kColumns; ++col)
        setCell(col, 0, kHeadings[static_cast<std::size_t>(col)]);
    for (int row = kFirstFieldRow; row <= kLastFieldRow; ++row)
        setCell(0, row, threeDigits(row));
}

void DesignerGrid::exchangeFields(int rowA, int rowB) {
    for (int col = kNameColumn; col <= kLastColumn; ++col) {
        std::string a = cell(col, rowA);
        setCell(col, rowA, cell(col, rowB));
        setCell(col, rowB, a);
    }
}

int DesignerGrid::moveRowUp(int row) {
    if (row <= kFirstFieldRow || row > kLastFieldRow)
        return row;
    exchangeFields(row - 1, row);
    return row - 1;
}

int DesignerGrid::moveRowDown(int row) {
    if (row < kFirstFieldRow || row >= kLastFieldRow)
        return row;
    exchangeFields(row, row + 1);
    return row + 1;
}

void DesignerGrid::clear() {
    for (int row = kFirstFieldRow; row <= kLastFieldRow; ++row) {
        for (int col = kNameColumn; col <= kLastColumn; ++col)
            setCell(col, row, {});
    }
}

std::string_view columnHint(int col) {
    if (col < 0 || col >= DesignerGrid::kColumns)
        return {};
    return kHints[static_cast<std::size_t>(col)];
}

} // namespace vorendal
