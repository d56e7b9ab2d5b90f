#include "app/exportprogressdialog.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include "base/exceptions.h"

namespace vorendal {
namespace {

// The count and the Cancel button are looked at this often, so that the export keeps its pace.
constexpr std::chrono::milliseconds kRefresh(50);

} // namespace

ExportProgressDialog::ExportProgressDialog(QWidget* parent, std::chrono::milliseconds delay,
                                           Clock clock)
    : m_parent(parent), m_delay(delay), m_clock(std::move(clock)), m_start(m_clock()) {}

ExportProgressDialog::~ExportProgressDialog() = default;

void ExportProgressDialog::show() {
    // made only when it is due: the dialog's own timer would otherwise show it on its own
    m_dialog = std::make_unique<QProgressDialog>(m_parent);
    m_dialog->setObjectName(QStringLiteral("ExportProgress"));
    m_dialog->setWindowTitle(QStringLiteral("Importar"));
    m_dialog->setCancelButtonText(QStringLiteral("Cancelar"));
    m_dialog->setRange(0, 0); // the record count is not known before the end
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->show();
}

void ExportProgressDialog::update(std::uint64_t records) {
    const auto now = m_clock();
    if (!m_dialog) {
        if (now - m_start < m_delay)
            return;
        show();
    } else if (now - m_lastShown < kRefresh) {
        return;
    }
    m_lastShown = now;
    m_dialog->setLabelText(QStringLiteral("Registros exportados: %1").arg(records));
    QCoreApplication::processEvents();
    if (m_dialog->wasCanceled())
        throw EAbort();
}

} // namespace vorendal
