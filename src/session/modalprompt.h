#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

// Every modal dialog the program puts in front of the operator runs through here. A test
// preloads the answers it wants; while answers are preloaded no dialog blocks: each one is
// handed to the next answer, which clicks, types or accepts as an operator would. An
// unexpected dialog with no answer left is rejected and counted, so a test sees it instead
// of hanging in a nested event loop.
class ModalPrompt
{
public:
    struct Button
    {
        QString text;
        QMessageBox::ButtonRole role;
    };
    using Answer = std::function<void(QDialog *)>;

    // Runs the dialog modally and returns its result code.
    static int exec(QDialog *dialog);

    // A message box with custom buttons; returns the position of the chosen button in
    // buttons, or -1 when the box was closed without a choice. Return chooses the
    // button at defaultButton, when one is given.
    static int question(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                        const QList<Button> &buttons, int defaultButton = -1);

    // A list to choose one item from; returns the chosen item, or a null string when cancelled.
    static QString chooseItem(QWidget *parent, const QString &title, const QString &label, const QStringList &items,
                              const QString &okText, const QString &cancelText);

    // A line of text to type; returns it, or a null string when cancelled.
    static QString text(QWidget *parent, const QString &title, const QString &label, const QString &okText,
                        const QString &cancelText);

    // For tests: from the first preloaded answer on, dialogs no longer block.
    static void preloadAnswer(const Answer &answer);
    static int pendingAnswers();
    static int unansweredDialogs();
    static void reset();
};
