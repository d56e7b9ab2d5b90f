#pragma once

#include <map>
#include <string>

#include <QComboBox>

namespace vorendal {

class DirectoryListBox;

// The drive selector (DriveComboBox1): the mounted volumes, each shown as its root folder and,
// when it has one, its volume name in lower case between "[" and "]". Choosing a volume enters
// the folder last shown on it (at first its root) in the linked directory tree.
class DriveComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    void setDirList(DirectoryListBox* dirList) { m_dirList = dirList; }

    // Reads the mounted volumes again and selects the one that holds folder.
    void readVolumes(const QString& folder);
    // Root folder of the selected volume.
    QString drive() const;
    // Selects the volume that holds folder and remembers folder as its last one; hands nothing on.
    void followFolder(const QString& folder);
    // The user chose the volume in index: its folder goes to the directory tree. Throws
    // EInOutError; the selector then goes back to the volume shown before.
    void chooseDrive(int index);

private:
    int indexOfVolumeHolding(const QString& folder) const;

    DirectoryListBox* m_dirList = nullptr;
    int m_shown = -1;
    std::map<QString, QString> m_lastFolder; // volume root -> folder last shown on it
};

} // namespace vorendal
