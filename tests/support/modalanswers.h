#pragma once

#include "modalprompt.h"

#include <QAbstractButton>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>

// Answers for ModalPrompt, shared by every test that meets a modal dialog. Each answer
// records the text the operator was shown, when asked to.
namespace ModalAnswers {

// Clicks the button with the given text in an open message box; a missing button
// leaves the box to be rejected, which the calling test sees as the wrong choice.
inline void clickButtonOf(QDialog *dialog, const QString &buttonText, QString *shownText = nullptr)
{
    auto *box = qobject_cast<QMessageBox *>(dialog);
    if (!box)
        return;
    if (shownText)
        *shownText = box->text();
    const QList<QAbstractButton *> buttons = box->buttons();
    for (QAbstractButton *button : buttons) {
        if (button->text() == buttonText) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
}

inline void clickButton(const QString &buttonText, QString *shownText = nullptr)
{
    ModalPrompt::preloadAnswer([=](QDialog *dialog) { clickButtonOf(dialog, buttonText, shownText); });
}

// Chooses an item of a list dialog and confirms it; an item the dialog does not
// offer (a null one, say) cancels.
inline void chooseItem(const QString &item)
{
    ModalPrompt::preloadAnswer([=](QDialog *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        if (!input || !input->comboBoxItems().contains(item))
            return;
        input->setTextValue(item);
        input->accept();
    });
}

// Lets the test work the dialog itself, for forms of the program's own.
inline void handle(const ModalPrompt::Answer &answer)
{
    ModalPrompt::preloadAnswer(answer);
}

// What a test left behind: dialogs nobody answered and answers no dialog took.
struct Leftovers
{
    int unanswered = 0;
    int pending = 0;
};

// Ends a test's scripted answers, reporting what was left.
inline Leftovers finish()
{
    const Leftovers left{ModalPrompt::unansweredDialogs(), ModalPrompt::pendingAnswers()};
    ModalPrompt::reset();
    return left;
}

// From here on a dialog no test expects is rejected and counted instead of
// waiting for an operator; a test's cleanup checks the counts.
inline void rejectUnexpectedDialogs()
{
    handle([](QDialog *dialog) { dialog->reject(); });
    QDialog primer;
    ModalPrompt::exec(&primer);
}

} // namespace ModalAnswers
