#include "mainwindow.h"

#include "screenidentity.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "testframe.h"
#include "testingsession.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

// Two monitors that name themselves, one on each screen of the virtual X server.
class TwoDisplays : public ScreenIdentity
{
public:
    Identity identity(int index) const override
    {
        if (index == 0)
            return {"MAKER", "MD27", "A-1", {1280, 720}, {597, 336}};
        if (index == 1)
            return {"MAKER", "MD24", "B-2", {1366, 768}, {527, 296}};
        return {};
    }
};

// The monitor chooser on a desktop of two screens, and the display a session
// then belongs to.
class TestTwoScreens : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *file : {"Lumivex 2016.ini", "Lumivex.sqlite", "Lumivex.sqlite-wal"})
            QFile::remove(QString::fromLatin1(file));
    }

    // A dialog no test expects is rejected and counted, not waited on.
    void init() { ModalAnswers::rejectUnexpectedDialogs(); }

    void cleanup()
    {
        const ModalAnswers::Leftovers left = ModalAnswers::finish();
        QCOMPARE(left.unanswered, 0);
        QCOMPARE(left.pending, 0);
    }

    void chooserListsBoth()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        MainWindow window;
        auto *session = window.findChild<TestingSession *>();
        session->setScreenIdentity(std::make_unique<TwoDisplays>());
        window.show();
        QStringList offered;
        ModalAnswers::handle([&](QDialog *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            QVERIFY(input);
            offered = input->comboBoxItems();
            input->setTextValue(offered.value(1));
            input->accept();
        });
        QString classified;
        ModalAnswers::handle([&](QDialog *dialog) {
            classified = dialog->findChild<QLabel *>("displayLabel")->text();
            dialog->accept();
        });
        QTest::mouseClick(window.findChild<QPushButton *>("newTestPushButton"), Qt::LeftButton);
        QTest::mouseClick(window.findChild<QPushButton *>("goTestPushButton"), Qt::LeftButton);
        QCOMPARE(offered, (QStringList{"Display: 0 - MAKER MD27 (SN A-1), 1280 x 720",
                                       "Display: 1 - MAKER MD24 (SN B-2), 1366 x 768"}));
        QCOMPARE(classified, QStringLiteral("MAKER MD24 (SN B-2)"));
        QCOMPARE(session->screen(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(session->frame()->geometry(), QGuiApplication::screens().at(1)->geometry(), Patience);
    }
};

QTEST_MAIN(TestTwoScreens)
#include "tst_twoscreens.moc"
