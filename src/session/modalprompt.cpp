#include "modalprompt.h"

#include "screenfit.h"

#include <QAbstractButton>
#include <QDebug>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QQueue>

namespace {

struct Script
{
    bool active = false;
    QQueue<ModalPrompt::Answer> answers;
    int unanswered = 0;
};

Script &script()
{
    static Script instance;
    return instance;
}

} // namespace

int ModalPrompt::exec(QDialog *dialog)
{
    // A dialog that was given no size of its own gets the one its contents ask for.
    dialog->ensurePolished();
    ScreenFit::fit(dialog, dialog->testAttribute(Qt::WA_Resized) ? dialog->size() : dialog->sizeHint());
    Script &s = script();
    if (!s.active)
        return dialog->exec();
    dialog->setModal(true);
    dialog->show();
    if (s.answers.isEmpty()) {
        ++s.unanswered;
        // Names the dialog a scripted run did not expect, so that its test says which one.
        const QLabel *label = dialog->findChild<QLabel *>();
        qWarning().noquote() << "[ModalPrompt] Unanswered dialog:" << dialog->objectName() << dialog->windowTitle()
                             << (label ? label->text() : QString());
        dialog->reject();
    } else {
        s.answers.dequeue()(dialog);
    }
    if (dialog->isVisible())
        dialog->reject();
    return dialog->result();
}

int ModalPrompt::question(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                          const QList<Button> &buttons, int defaultButton)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    // Prompts show translations and stored texts: never read as markup.
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> added;
    for (const Button &button : buttons)
        added << box.addButton(button.text, button.role);
    if (auto *chosen = qobject_cast<QPushButton *>(added.value(defaultButton)))
        box.setDefaultButton(chosen);
    exec(&box);
    return added.indexOf(box.clickedButton());
}

QString ModalPrompt::chooseItem(QWidget *parent, const QString &title, const QString &label, const QStringList &items,
                                const QString &okText, const QString &cancelText)
{
    QInputDialog dialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    for (QLabel *shown : dialog.findChildren<QLabel *>())
        shown->setTextFormat(Qt::PlainText);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    dialog.setOkButtonText(okText);
    dialog.setCancelButtonText(cancelText);
    if (exec(&dialog) != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

QString ModalPrompt::text(QWidget *parent, const QString &title, const QString &label, const QString &okText,
                          const QString &cancelText)
{
    QInputDialog dialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    for (QLabel *shown : dialog.findChildren<QLabel *>())
        shown->setTextFormat(Qt::PlainText);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setOkButtonText(okText);
    dialog.setCancelButtonText(cancelText);
    if (exec(&dialog) != QDialog::Accepted)
        return QString();
    const QString typed = dialog.textValue().trimmed();
    // Nothing typed and confirmed is an answer of its own, told apart from cancelling.
    return typed.isNull() ? QStringLiteral("") : typed;
}

void ModalPrompt::preloadAnswer(const Answer &answer)
{
    script().active = true;
    script().answers.enqueue(answer);
}

int ModalPrompt::pendingAnswers()
{
    return script().answers.size();
}

int ModalPrompt::unansweredDialogs()
{
    return script().unanswered;
}

void ModalPrompt::reset()
{
    script() = Script();
}
