#include "mainwindow.h"
#include "screenidentity.h"
#include "support/modalanswers.h"
#include "testframe.h"
#include "testingsession.h"
#include "testinputdialog.h"
#include "translator.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString SettingsFile = QStringLiteral("Lumivex 2016.ini");

class NamedScreen : public ScreenIdentity
{
public:
    Identity identity(int) const override { return {"MAKER", "MD27", "12345678", {800, 600}, {597, 336}}; }
    static inline const QString chooserItem = QStringLiteral("Display: 0 - MAKER MD27 (SN 12345678), 800 x 600");
};

} // namespace

// The export on the home page and the choice of the viewing software on the
// selection page, through the real main window.
class TestDicomWindow : public QObject
{
    Q_OBJECT

private slots:
    // A store left by an earlier run would know the display and ask nothing about it.
    void initTestCase()
    {
        const QStringList storeFiles{SettingsFile, QStringLiteral("Lumivex.sqlite"),
                                     QStringLiteral("Lumivex.sqlite-wal")};
        for (const QString &file : storeFiles)
            QVERIFY2(!QFile::exists(file) || QFile::remove(file), qPrintable(file));
    }
    void init()
    {
        m_window = std::make_unique<MainWindow>();
        m_window->findChild<TestingSession *>()->setScreenIdentity(std::make_unique<NamedScreen>());
        m_window->show();
    }
    // Every dialog met was answered and every answer used; a failure leaves none for the next test.
    void cleanup()
    {
        m_window.reset();
        const QPair<int, int> unusedAndUnanswered(ModalPrompt::pendingAnswers(), ModalPrompt::unansweredDialogs());
        ModalPrompt::reset();
        QCOMPARE(unusedAndUnanswered, qMakePair(0, 0));
    }

    // Without a folder nothing is written and the dialog says why; with one, the
    // whole set for the screen under test lands there with its DICOMDIR.
    void exportFromTheHomePage()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("stick");
        QStringList statuses;
        ModalAnswers::handle([&](QDialog *dialog) {
            auto *status = dialog->findChild<QLabel *>("statusLabel");
            dialog->findChild<QLineEdit *>("folderLineEdit")->clear();
            QTest::mouseClick(dialog->findChild<QPushButton *>("exportPushButton"), Qt::LeftButton);
            statuses << status->text();
            dialog->findChild<QLineEdit *>("folderLineEdit")->setText(folder);
            auto *bits = dialog->findChild<QComboBox *>("bitsComboBox");
            bits->setCurrentIndex(bits->findData(12));
            QTest::mouseClick(dialog->findChild<QPushButton *>("exportPushButton"), Qt::LeftButton);
            statuses << status->text();
            QTest::mouseClick(dialog->findChild<QPushButton *>("cancelPushButton"), Qt::LeftButton);
        });
        QTest::mouseClick(m_window->findChild<QPushButton *>("dicomExportPushButton"), Qt::LeftButton);
        QCOMPARE(statuses.value(0), QStringLiteral("Choose the folder to write the test images into."));
        QCOMPARE(statuses.value(1), QStringLiteral("40 test images and their DICOMDIR were written into %1.")
                                        .arg(QDir::toNativeSeparators(folder)));
        QCOMPARE(QDir(folder).entryList({"IMAGE*"}, QDir::Files).size(), 40);
        QVERIFY(QFileInfo::exists(QDir(folder).filePath("DICOMDIR")));
    }

    // The viewing software must be named before a session starts; once it is, the
    // session runs without the frame on the screen under test.
    void sessionShownByTheViewer()
    {
        QTest::mouseClick(m_window->findChild<QPushButton *>("newTestPushButton"), Qt::LeftButton);
        QTest::mouseClick(m_window->findChild<QRadioButton *>("viewerRadioButton"), Qt::LeftButton);
        QString warning;
        ModalAnswers::chooseItem(NamedScreen::chooserItem);
        ModalAnswers::clickButton(QStringLiteral("OK"), &warning);
        QTest::mouseClick(m_window->findChild<QPushButton *>("goTestPushButton"), Qt::LeftButton);
        QCOMPARE(warning, QStringLiteral("Name the viewing software that shows the patterns, or choose Lumivex."));
        auto *session = m_window->findChild<TestingSession *>();
        QVERIFY(!session->frame()->inputDialog()->isVisible());

        // A name that is also a key of the dictionary stays as typed when the window is relabelled.
        auto *name = m_window->findChild<QLineEdit *>("viewerNameLineEdit");
        QTest::keyClicks(name, "none");
        TR::Translator::instance()->translateObject(m_window.get(), true);
        QCOMPARE(name->text(), QStringLiteral("none"));
        name->clear();
        QTest::keyClicks(name, "Synapse 7");
        ModalAnswers::chooseItem(NamedScreen::chooserItem);
        ModalAnswers::handle([](QDialog *dialog) {
            auto *roomClass = dialog->findChild<QComboBox *>("roomClassComboBox");
            roomClass->setCurrentIndex(roomClass->findData(QStringLiteral("RK1")));
            dialog->accept();
        });
        QTest::mouseClick(m_window->findChild<QPushButton *>("goTestPushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(session->frame()->inputDialog()->isVisible(), 20000);
        QCOMPARE(session->viewer(), QStringLiteral("Synapse 7"));
        QVERIFY(!session->frame()->isVisible());
        session->frame()->close();
    }

private:
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestDicomWindow)
#include "tst_dicomwindow.moc"
