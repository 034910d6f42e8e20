#include "unsavedexport.h"

#include "configurationmanager.h"
#include "localformats.h"
#include "modalprompt.h"
#include "translator.h"

#include <QDir>
#include <QFileDialog>
#include <QLocale>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

void tell(QWidget *parent, QMessageBox::Icon icon, const QString &text)
{
    ModalPrompt::question(parent, icon, translated("attention"), text, {{translated("ok"), QMessageBox::AcceptRole}});
}

} // namespace

void UnsavedExport::offerOnExit(QWidget *parent, ConfigurationManager *store)
{
    const int unsaved = store->unsavedSessions().size();
    if (unsaved == 0)
        return;
    const QString kept = QDir::toNativeSeparators(store->unsavedFileName());
    const QList<ModalPrompt::Button> buttons = {{translated("records_closeWithoutExport"), QMessageBox::RejectRole},
                                                {translated("records_export"), QMessageBox::AcceptRole}};
    if (ModalPrompt::question(parent, QMessageBox::Warning, translated("attention"),
                              translated("records_unsavedOnExit").arg(LocalFormats::count(unsaved), kept), buttons,
                              1) != 1)
        return;
    QFileDialog dialog(parent, translated("records_export"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QStringLiteral("JSON (*.json)"));
    dialog.selectFile(QStringLiteral("Lumivex unsaved sessions.json"));
    if (ModalPrompt::exec(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString target = dialog.selectedFiles().constFirst();
    if (store->exportUnsaved(target))
        tell(parent, QMessageBox::Information, translated("records_exported").arg(QDir::toNativeSeparators(target)));
    else
        tell(parent, QMessageBox::Critical, translated("records_exportFailed").arg(QDir::toNativeSeparators(target)));
}
