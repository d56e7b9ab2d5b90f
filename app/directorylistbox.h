#pragma once

#include <string>
#include <vector>

#include <QListWidget>

namespace vorendal {

class FileListBox;
struct FolderEntry;

// The directory tree (DirectoryListBox1): the root, each folder on the way down to its folder, the
// folder itself (selected) and its subfolders in the order of the user's locale, each with its
// folder image, indented by depth. It hands its folder on to the linked file list. An entry too
// long for the tree shows its whole name as a tooltip.
class DirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    void setFileList(FileListBox* fileList) { m_fileList = fileList; }

    // Native path of the folder shown.
    const std::string& directory() const { return m_folder; }
    // Enters folder by the current-directory rule, rebuilds the entries and hands the folder to
    // the file list. Throws EInOutError; the tree and the file list then keep their folder, the
    // tree reads that folder's entries again (a subfolder removed meanwhile goes) and highlights
    // it.
    void setDirectory(const std::string& folder);
    // Opens the entry in row (as a double-click or Enter does). Throws as setDirectory.
    void openEntry(int row);

Q_SIGNALS:
    // The user asked to open the entry in row (double-click, or Enter while the tree has focus).
    void openRequested(int row);
    // The folder shown changed.
    void directoryChanged(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showEntries(const std::vector<FolderEntry>& entries);
    // After a failed change: the entries of the folder shown, read again when it can be read,
    // and the highlight back on it.
    void showFolderAgain();

    std::string m_folder;
    int m_shownRow = -1; // the entry of the folder shown
    FileListBox* m_fileList = nullptr;
};

} // namespace vorendal
