#include "app/drivecombobox.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include "app/directorylistbox.h"
#include "base/exceptions.h"

namespace vorendal {
namespace {

bool holds(const QString& root, const QString& folder) {
    if (root == QLatin1String("/"))
        return folder.startsWith(QLatin1Char('/'));
    return folder == root || folder.startsWith(root + QLatin1Char('/'));
}

QString volumeCaption(const QStorageInfo& volume) {
    QString caption = volume.rootPath();
    if (!volume.name().isEmpty())
        caption += QStringLiteral(" [") + volume.name().toLower() + QLatin1Char(']');
    return caption;
}

} // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {}

void DriveComboBox::readVolumes(const QString& folder) {
    QList<QStorageInfo> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // a bind-mounted file is no place to browse
        if (volume.isValid() && QFileInfo(volume.rootPath()).isDir())
            volumes.append(volume);
    }
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    clear();
    for (const QStorageInfo& volume : volumes) {
        if (findData(volume.rootPath()) < 0)
            addItem(volumeCaption(volume), volume.rootPath());
    }
    if (findData(QStringLiteral("/")) < 0)
        insertItem(0, QStringLiteral("/"), QStringLiteral("/"));
    followFolder(folder);
}

QString DriveComboBox::drive() const {
    return currentData().toString();
}

int DriveComboBox::indexOfVolumeHolding(const QString& folder) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (holds(root, folder) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void DriveComboBox::followFolder(const QString& folder) {
    const int index = indexOfVolumeHolding(folder);
    if (index < 0)
        return;
    m_lastFolder[itemData(index).toString()] = folder;
    m_shown = index;
    setCurrentIndex(index);
}

void DriveComboBox::chooseDrive(int index) {
    if (index < 0 || index == m_shown || m_dirList == nullptr)
        return;
    const QString root = itemData(index).toString();
    const auto last = m_lastFolder.find(root);
    const QString folder = last != m_lastFolder.end() ? last->second : root;
    try {
        try {
            m_dirList->setDirectory(QFile::encodeName(folder).toStdString());
        } catch (const EInOutError&) {
            // the folder last shown there may have gone meanwhile: the volume's root then
            if (folder == root)
                throw;
            m_dirList->setDirectory(QFile::encodeName(root).toStdString());
        }
    } catch (...) {
        setCurrentIndex(m_shown);
        throw;
    }
}

} // namespace vorendal
