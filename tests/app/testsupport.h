#pragma once

#include <filesystem>
#include <string>

#include <QByteArray>
#include <QString>
#include <QTest>

#include "app/application.h"

// Runs a Qt Test class under the program's own application object (its notify() backstop and
// hint timing included).
#define VORENDAL_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char** argv) {                                                              \
        vorendal::Application app(argc, argv);                                                     \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

namespace vorendal::test {

// Writes bytes to path, replacing the file.
void writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes; an empty array when it cannot be read.
QByteArray readFile(const QString& path);
std::filesystem::path nativePath(const QString& path);

// While it lives, the process obeys file permissions even as root: the capabilities that
// override them are left out of its effective set. active() is false when that was not possible.
class PermissionsObeyed {
public:
    PermissionsObeyed();
    ~PermissionsObeyed();
    PermissionsObeyed(const PermissionsObeyed&) = delete;
    PermissionsObeyed& operator=(const PermissionsObeyed&) = delete;
    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_dropped = false;
    unsigned m_saved[2] = {0, 0};
};

// Keeps the process's current directory and restores it when it goes.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper();
    ~CurrentDirectoryKeeper();
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    std::filesystem::path m_saved;
};

} // namespace vorendal::test
