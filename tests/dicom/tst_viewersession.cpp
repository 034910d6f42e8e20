#include "canvaswidget.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "pdfprobe.h"
#include "reportgenerator.h"
#include "savedsessionsmodel.h"
#include "support/modalanswers.h"
#include "support/sessiondriver.h"
#include "testgroup.h"
#include "testsmanager.h"
#include "translator.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

// A session whose patterns the viewing software shows: Lumivex paints nothing on the
// screen under test, names the image to open at each step and records the viewer,
// whom the report names too.
class TestViewerSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }
    void asksWithoutPaintingAndRecordsTheViewer();
};

void TestViewerSession::asksWithoutPaintingAndRecordsTheViewer()
{
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
    const SessionDriver::Answers answers = SessionDriver::readings("27", QVector<QString>(9, "250").toList(),
                                                                   QVector<QString>(9, "0.5").toList(), levels, "2");
    auto *canvas = session.frame()->findChild<CanvasWidget *>();
    QVERIFY(canvas);
    QStringList instructions;
    for (int step = 0; completed.isEmpty() && step < 100; ++step) {
        TestInputDialog *dialog = session.frame()->inputDialog();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 20000);
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
    ReportGenerator generator;
    QVERIFY(generator.writePdf(record, dir.filePath("viewer.pdf")));
    QVERIFY(PdfProbe::text(PdfProbe::words(dir.filePath("viewer.pdf"))).contains("Patterns shown by Synapse 7"));
    ModalPrompt::reset();
}

QTEST_MAIN(TestViewerSession)
#include "tst_viewersession.moc"
