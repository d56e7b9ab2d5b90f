#include "testsupport.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>

namespace vorendal::test {
namespace {

constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool getCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool setCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::filesystem::path nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

PermissionsObeyed::PermissionsObeyed() {
    if (geteuid() != 0) {
        m_active = true;
        return;
    }
    __user_cap_data_struct data[2] = {};
    if (!getCaps(data))
        return;
    m_saved[0] = data[0].effective;
    data[0].effective &= ~kOverrides;
    m_dropped = setCaps(data);
    m_active = m_dropped;
}

PermissionsObeyed::~PermissionsObeyed() {
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2] = {};
    if (getCaps(data)) {
        data[0].effective = m_saved[0];
        setCaps(data);
    }
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() {
    std::error_code ec;
    m_saved = std::filesystem::current_path(ec);
}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() {
    std::error_code ec;
    if (!m_saved.empty())
        std::filesystem::current_path(m_saved, ec);
}

} // namespace vorendal::test
