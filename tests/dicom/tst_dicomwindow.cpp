#include "canvaswidget.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "mainwindow.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "savedsessionsmodel.h"
#include "screenidentity.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/sessiondriver.h"
#include "testgroup.h"
#include "testsmanager.h"
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
// selection page, through the real main window; a session the viewer shows.
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
        ModalAnswers::rejectUnexpectedDialogs();
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
        QTRY_VERIFY_WITH_TIMEOUT(session->frame()->inputDialog()->isVisible(), Patience);
        QCOMPARE(session->viewer(), QStringLiteral("Synapse 7"));
        QVERIFY(!session->frame()->isVisible());
        session->frame()->close();
    }

    // A session whose patterns the viewing software shows: Lumivex paints nothing on the
    // screen under test, names the image to open at each step and records the viewer,
    // whom the report names too.
    void asksWithoutPaintingAndRecordsTheViewer()
    {
        TR::Translator::instance()->setModel(TR::defaultDictionary());
        QTemporaryDir dir;
        ConfigurationManager store(dir.filePath("settings.ini"));
        SavedSessionsModel model(&store);
        TestsManager catalogue;
        TestingSession session(nullptr, nullptr, &model);
        // The operator's group and the one of the TG18-LN readings keep the run short.
        QList<TestGroup *> groups;
        for (TestGroup *group : qAsConst(*catalogue.groups())) {
            if (group->number() == 0 || group->contentById("content05030600"))
                groups << group;
        }
        QCOMPARE(groups.size(), 2);
        ModalAnswers::clickButton(TR::Translator::instance()->translate("ok"));
        session.setContext({"periodicConstancy", "dentalRk5", "RK3", {}, {}, {}});
        session.setViewer(" Synapse 7 ");
        session.setGroups(&groups);
        session.setTestIndex(0);
        session.start(0);

        QSignalSpy completed(&session, &TestingSession::sessionCompleted);
        const QStringList levels{"0.8", "10",  "20",  "30",  "40",  "50",  "60",  "70",  "80",
                                 "90",  "100", "120", "140", "160", "200", "250", "300", "400"};
        const SessionDriver::Answers answers = SessionDriver::readings(
            "27", QVector<QString>(9, "250").toList(), QVector<QString>(9, "0.5").toList(), levels, "2");
        auto *canvas = session.frame()->findChild<CanvasWidget *>();
        QStringList instructions;
        for (int step = 0; completed.isEmpty() && step < 100; ++step) {
            TestInputDialog *dialog = session.frame()->inputDialog();
            QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), Patience);
            QVERIFY2(!session.frame()->isVisible() && !canvas->isVisible(), "the frame covers the viewer");
            const QString title = dialog->findChild<QLabel *>("titleLabel")->text();
            if (title.contains("Open image"))
                instructions << title.section('\n', -1);
            SessionDriver::answerShownTest(&session, answers);
        }
        QCOMPARE(completed.count(), 1);
        QVERIFY(instructions.contains("Open image 07 of the series: TG18-LN level 90"));
        QVERIFY(instructions.contains("Open image 18 of the series: TG18-LN level 255"));

        const QVariantMap record = store.sessionRecord(store.sessions().value(0).toMap());
        QCOMPARE(record.value("viewer").toString(), QString("Synapse 7"));
        QVERIFY(ReportGenerator().writePdf(record, dir.filePath("viewer.pdf")));
        QVERIFY(PdfProbe::text(PdfProbe::words(dir.filePath("viewer.pdf"))).contains("Patterns shown by Synapse 7"));
    }

private:
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestDicomWindow)
#include "tst_dicomwindow.moc"
