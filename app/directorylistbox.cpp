#include "app/directorylistbox.h"

#include <filesystem>
#include <vector>

#include <QFile>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include "app/filelistbox.h"
#include "app/folderbrowsing.h"
#include "app/glyphs.h"
#include "app/namecollation.h"
#include "app/wholetexttip.h"
#include "base/exceptions.h"

namespace vorendal {
namespace {

constexpr int kItemHeight = 16;
constexpr int kIndent = 7; // pixels per level below the root
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kNativePathRole = Qt::UserRole + 2;

class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int width = QStyledItemDelegate::sizeHint(option, index).width();
        return {width + index.data(kLevelRole).toInt() * kIndent, kItemHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + index.data(kLevelRole).toInt() * kIndent);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        return showWholeTextWhenCut(event, view, sizeHint(option, index).width(), index) ||
               QStyledItemDelegate::helpEvent(event, view, option, index);
    }
};

void collated(std::vector<std::string>& names) {
    NameCollation().sort(names);
}

QIcon folderIcon(FolderEntry::Kind kind) {
    switch (kind) {
    case FolderEntry::Kind::Path:
        return QIcon(Glyphs::folderImage(Glyphs::Folder::Open));
    case FolderEntry::Kind::Current:
        return QIcon(Glyphs::folderImage(Glyphs::Folder::Current));
    case FolderEntry::Kind::Subfolder:
        break;
    }
    return QIcon(Glyphs::folderImage(Glyphs::Folder::Closed));
}

} // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Q_EMIT openRequested(row(item)); });
}

void DirectoryListBox::setDirectory(const std::string& folder) {
    const std::string previous = m_folder;
    std::string entered;
    std::vector<FolderEntry> entries;
    try {
        entered = enterFolder(previous, folder).native();
        entries = folderTreeEntries(entered, collated);
        if (m_fileList != nullptr)
            m_fileList->setDirectory(entered);
    } catch (...) {
        // the tree keeps its folder, so the current directory goes back to it
        std::error_code ec;
        if (!previous.empty())
            std::filesystem::current_path(previous, ec);
        showFolderAgain();
        throw;
    }
    m_folder = entered;
    showEntries(entries);
    Q_EMIT directoryChanged(QFile::decodeName(QByteArray::fromStdString(m_folder)));
}

void DirectoryListBox::showEntries(const std::vector<FolderEntry>& entries) {
    clear();
    m_shownRow = -1;
    for (const auto& entry : entries) {
        const QByteArray name = QByteArray::fromStdString(entry.name);
        auto* item = new QListWidgetItem(folderIcon(entry.kind), QFile::decodeName(name), this);
        item->setData(kLevelRole, entry.level);
        item->setData(kNativePathRole, QByteArray::fromStdString(entry.path));
        if (entry.kind == FolderEntry::Kind::Current) {
            m_shownRow = count() - 1;
            setCurrentItem(item);
        }
    }
}

void DirectoryListBox::showFolderAgain() {
    if (m_folder.empty())
        return;
    try {
        showEntries(folderTreeEntries(m_folder, collated));
    } catch (const EInOutError&) {
        // the folder shown cannot be read now either: its old entries stay
        setCurrentRow(m_shownRow);
    }
}

void DirectoryListBox::openEntry(int row) {
    const QListWidgetItem* entry = item(row);
    if (entry == nullptr)
        return;
    setDirectory(entry->data(kNativePathRole).toByteArray().toStdString());
}

void DirectoryListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        Q_EMIT openRequested(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace vorendal
