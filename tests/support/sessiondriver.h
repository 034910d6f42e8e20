#pragma once

#include "test.h"
#include "testcontent.h"
#include "testframe.h"
#include "testingsession.h"
#include "testinputdialog.h"

#include <QComboBox>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

// Works a running testing session through its input dialog as the operator
// would: answers typed, chosen or clicked, then Return.
namespace SessionDriver {

// Answers by content id; a content without one is answered "0" (or "yes").
using Answers = QMap<QString, QString>;

// The dialog's answer inputs in the order of their contents, without the captions.
inline QList<QWidget *> inputsOf(const TestInputDialog *dialog)
{
    QList<QWidget *> inputs =
        dialog->findChild<QWidget *>("contentWidget")->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    inputs.erase(std::remove_if(inputs.begin(), inputs.end(), [](QWidget *w) { return w->inherits("QLabel"); }),
                 inputs.end());
    return inputs;
}

// Readings at the positions TL, TC, TR, ML, MC, MR, BL, BC, BR; a hidden position is never asked.
inline Answers readings(const QString &diagonal, const QStringList &light, const QStringList &dark,
                        const QStringList &levels, const QString &ambient)
{
    Answers answers{{"content00000000", "Alice"}, {"content02010000", "Eizo"},   {"content02010001", "CX"},
                    {"content03030002", "120"},   {"content05010000", diagonal}, {"content05060000", ambient}};
    for (int i = 0; i < 18; ++i) {
        answers.insert(QString("content0502%1").arg(i, 2, 10, QChar('0')) + "00", (i % 2 ? dark : light).value(i / 2));
        answers.insert(QString("content0503%1").arg(i, 2, 10, QChar('0')) + "00", levels.value(i));
    }
    return answers;
}

inline void answerShownTest(TestingSession *session, const Answers &answers)
{
    TestInputDialog *dialog = session->frame()->inputDialog();
    const Test *test = session->frame()->test();
    if (test->validatable())
        QTest::mouseClick(dialog->findChild<QPushButton *>("acceptPushButton"), Qt::LeftButton);
    QList<QWidget *> inputs = inputsOf(dialog);
    for (const TestContent *content : *test->content()) {
        if (test->validatable() || content->type() == TestContent::kTestContentTypeInfo)
            continue;
        QWidget *input = inputs.takeFirst();
        const QString answer = answers.value(content->id(), "0");
        if (auto *combo = qobject_cast<QComboBox *>(input)) {
            combo->setCurrentIndex(combo->findData(answer));
        } else if (auto *yes = input->findChild<QRadioButton *>()) {
            QTest::mouseClick(yes, Qt::LeftButton);
        } else {
            QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(input, answer);
        }
    }
    QTest::keyClick(dialog, Qt::Key_Return);
}

// Answers every shown test until the session completes or the given test is
// shown; returns the ids of the tests answered.
inline QStringList runUntil(TestingSession *session, const Answers &answers, const QString &stopAt = QString())
{
    QSignalSpy completed(session, &TestingSession::sessionCompleted);
    QStringList shown;
    while (completed.isEmpty() && shown.size() < 200 && session->frame()->test()->id() != stopAt) {
        shown << session->frame()->test()->id();
        answerShownTest(session, answers);
    }
    return shown;
}

} // namespace SessionDriver
