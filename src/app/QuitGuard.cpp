#include "app/QuitGuard.h"

#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "support/Words.h"

#include <QMessageBox>
#include <QPushButton>

namespace vorno {

bool QuitGuard::mayQuit(CaptureStore *store, const Ask &ask)
{
    if (!store)
        return true;
    if (CloudStore *cloud = store->cloud(); cloud && !cloud->prepareToQuit())
        return false;
    if (store->text() == store->savedText())
        return true;
    switch (ask()) {
    case Choice::save:
        return store->saveDraft(); // a refusal leaves the note and the store's notice in place
    case Choice::quitWithout:
        return true;
    case Choice::cancel:
        break;
    }
    return false;
}

QuitGuard::Choice QuitGuard::askWithAlert(QWidget *parent)
{
    QMessageBox alert(parent);
    alert.setIcon(QMessageBox::Warning);
    alert.setWindowModality(Qt::ApplicationModal);
    alert.setText(Words(Words::unsaved).string());
    alert.setInformativeText(Words(Words::unsavedHint).string());
    QPushButton *save = alert.addButton(Words(Words::save).string(), QMessageBox::AcceptRole);
    QPushButton *cancel = alert.addButton(Words(Words::cancel).string(), QMessageBox::RejectRole);
    QPushButton *quit = alert.addButton(Words(Words::quitWithout).string(), QMessageBox::DestructiveRole);
    alert.setDefaultButton(save);
    alert.setEscapeButton(cancel);
    alert.exec();
    if (alert.clickedButton() == save)
        return Choice::save;
    if (alert.clickedButton() == quit)
        return Choice::quitWithout;
    return Choice::cancel;
}

} // namespace vorno
