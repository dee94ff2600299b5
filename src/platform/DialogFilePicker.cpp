#include "platform/DialogFilePicker.h"

#include "support/Words.h"

#include <QFileDialog>
#include <QStandardPaths>

namespace vorno {

DialogFilePicker::~DialogFilePicker()
{
    if (m_dialog)
        m_dialog->deleteLater();
}

void DialogFilePicker::begin(Completion done)
{
    auto *dialog = new QFileDialog(nullptr, Words(Words::files).string(),
                                   QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setWindowModality(Qt::NonModal);
    // Exactly one answer, whichever way the dialog ends; the picker may be gone by then.
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered](int result) {
        if (*answered)
            return;
        *answered = true;
        if (result == QDialog::Accepted)
            done(dialog->selectedUrls());
        else
            done(std::nullopt);
    });
    m_dialog = dialog;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void DialogFilePicker::raise()
{
    if (!m_dialog)
        return;
    m_dialog->raise();
    m_dialog->activateWindow();
}

} // namespace vorno
