#pragma once

#include <string>

#include <QListWidget>

namespace vorendal {

// The file list (FileListBox1): the files of one folder that match its mask, in the order of the
// user's locale (NameCollation), one selectable at a time. Every reading leaves the process's
// current directory at its folder and no entry selected; taking the focus does not make an entry
// current either, so none looks selected until the user picks one. Whenever the selection goes
// (a click below the last entry), no entry stays current.
class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    // Native path of the folder listed.
    const std::string& directory() const { return m_folder; }
    // Lists folder when it differs from the one shown (compared ignoring case). Throws
    // EInOutError; the list then keeps its folder and entries.
    void setDirectory(const std::string& folder);

    const std::string& mask() const { return m_mask; }
    // Takes mask and reads the entries again, whether or not the mask changed, so that files
    // made or removed meanwhile show. Throws EInOutError (mask and entries are then kept).
    void applyMask(const std::string& mask);

    // Reads the entries again. Throws EInOutError; the list then keeps its entries.
    void readEntries();

    // Full path of the selected entry (folder, one "/", name) in the file system's own bytes, as
    // the folder listing gave them (also a name that is not valid UTF-8), so that the table
    // source opens exactly that file; empty when none is selected. Touches no file. Its 1252 form
    // (tableNameFromPath) is for the table name only.
    std::string FileName() const;

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void fill(const std::string& folder, const std::string& mask);

    std::string m_folder;
    std::string m_mask = "*.dbf";
};

} // namespace vorendal
