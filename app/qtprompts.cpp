#include "app/qtprompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>

namespace vorendal {
namespace {

std::optional<QString> runFileDialog(const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave || !request.mustExist
                           ? QFileDialog::AnyFile
                           : QFileDialog::ExistingFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    QFileDialog::Options options;
    if (request.hideFilterDetails)
        options |= QFileDialog::HideNameFilterDetails;
    if (!request.confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    dialog.setOptions(options);
    const QFileInfo initial(request.initialPath);
    if (!request.initialPath.isEmpty() && initial.isDir())
        dialog.setDirectory(request.initialPath);
    else if (!request.initialPath.isEmpty())
        dialog.selectFile(request.initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// A message box that comes up in the middle of the screen rather than over the active window.
class ScreenCentredBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // the box takes its final size here
        if (const QScreen* shownOn = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(shownOn->geometry().center());
            move(frame.topLeft());
        }
    }
};

} // namespace

QtPrompts::QtPrompts(QString title) : m_title(std::move(title)) {}

std::optional<QString> QtPrompts::openFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPrompts::saveFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptSave);
}

void QtPrompts::error(const QString& message) {
    QMessageBox box(QMessageBox::Critical, m_title, message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtPrompts::message(const QString& text) {
    ScreenCentredBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok,
                         QApplication::activeWindow());
    box.exec();
}

} // namespace vorendal
