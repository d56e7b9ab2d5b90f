#include "app/filelistbox.h"

#include <filesystem>

#include <QFile>
#include <QFocusEvent>
#include <QStyledItemDelegate>

#include "app/folderbrowsing.h"
#include "app/namecollation.h"
#include "app/wholetexttip.h"

namespace vorendal {
namespace {

constexpr int kItemHeight = 13;
// The file name's own bytes, which a QString need not carry unchanged.
constexpr int kNativeNameRole = Qt::UserRole + 1;

class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        return showWholeTextWhenCut(event, view, sizeHint(option, index).width(), index) ||
               QStyledItemDelegate::helpEvent(event, view, option, index);
    }
};

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new FixedHeightDelegate(this));
    // A click below the last entry drops the selection but leaves the focus frame on the entry,
    // which then looks chosen though FileName() is empty: with nothing selected, nothing is
    // current either.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selectionModel()->hasSelection() && currentIndex().isValid())
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    });
}

void FileListBox::setDirectory(const std::string& folder) {
    if (sameFolderName(folder, m_folder))
        return;
    fill(folder, m_mask);
}

void FileListBox::applyMask(const std::string& mask) {
    fill(m_folder, mask);
}

void FileListBox::readEntries() {
    fill(m_folder, m_mask);
}

void FileListBox::fill(const std::string& folder, const std::string& mask) {
    const std::string shown = enterFolder(m_folder, folder).native();
    std::vector<std::string> names;
    try {
        names = listFolderFiles(
            shown, mask, [](std::vector<std::string>& found) { NameCollation().sort(found); });
    } catch (...) {
        // the list keeps its folder, so the current directory goes back to it
        std::error_code ec;
        if (!m_folder.empty())
            std::filesystem::current_path(m_folder, ec);
        throw;
    }
    m_folder = shown;
    m_mask = mask;
    clear();
    for (const auto& name : names) {
        const QByteArray bytes = QByteArray::fromStdString(name);
        auto* item = new QListWidgetItem(QFile::decodeName(bytes), this);
        item->setData(kNativeNameRole, bytes);
    }
    setCurrentRow(-1);
    clearSelection();
}

void FileListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    // the view makes its first entry current on taking the focus, which draws it as if chosen
    if (selectedItems().isEmpty() && currentIndex().isValid())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

std::string FileListBox::FileName() const {
    const QList<QListWidgetItem*> chosen = selectedItems();
    if (chosen.isEmpty())
        return {};
    const QByteArray name = chosen.constFirst()->data(kNativeNameRole).toByteArray();
    return joinFolderAndName(m_folder, name.toStdString());
}

} // namespace vorendal
