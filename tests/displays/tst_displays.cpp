#include "answeredcatalogue.h"
#include "configurationmanager.h"
#include "defaultdictionary.h"
#include "displaydialog.h"
#include "displaypreparation.h"
#include "displaysmodel.h"
#include "displayspage.h"
#include "localformats.h"
#include "screenidentity.h"
#include "sessiondatabase.h"
#include "support/modalanswers.h"
#include "testcontent.h"
#include "testgroup.h"
#include "testingsession.h"
#include "testsmanager.h"
#include "translator.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const ScreenIdentity::Identity ScreenA{"MAKER", "MD27", "A-1", {4200, 2800}, {597, 336}};
const ScreenIdentity::Identity ScreenB{"MAKER", "MD27", "B-2", {2560, 1440}, {597, 336}};
const ScreenIdentity::Identity Other{"OTHER", "X1", "9", {1920, 1080}, {}};
const ScreenIdentity::Identity Anonymous{};

QVariantMap identityOf(const ScreenIdentity::Identity &screen)
{
    return {{"maker", screen.manufacturer}, {"model", screen.model}, {"serial", screen.serialNumber}};
}

// Answers the display dialog with a category and room class (and a workstation, when one is given), or cancels it.
void answerDisplayDialog(const QString &category, const QString &roomClass, QString *shownDisplay = nullptr,
                         const QString &workstation = QString())
{
    ModalAnswers::handle([=](QDialog *dialog) {
        QVERIFY(qobject_cast<DisplayDialog *>(dialog));
        if (shownDisplay)
            *shownDisplay = dialog->findChild<QLabel *>("displayLabel")->text();
        if (category.isEmpty()) {
            dialog->reject();
            return;
        }
        if (!workstation.isEmpty())
            dialog->findChild<QComboBox *>("workstationComboBox")->setEditText(workstation);
        // The room class first: it decides which categories are offered.
        for (auto [name, id] : {std::pair{"roomClassComboBox", roomClass}, std::pair{"categoryComboBox", category}}) {
            auto *combo = dialog->findChild<QComboBox *>(name);
            combo->setCurrentIndex(combo->findData(id));
        }
        dialog->accept();
    });
}

// Answers an input dialog with the item at that position of its list, noting every item offered, or else
// (without a list to note) with the text.
void answerInput(QStringList *offered, int position, const QString &text = QString())
{
    ModalAnswers::handle([=](QDialog *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        QVERIFY(input);
        if (offered)
            *offered = input->comboBoxItems();
        input->setTextValue(offered ? offered->value(position) : text);
        input->accept();
    });
}

} // namespace

// The display of each session: what the store knows of it, what the operator
// is asked, the prefill from its own sessions only, and the page of displays.
class TestDisplays : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<TestsManager> m_catalogue;

    QList<TestContent *> group(int number) const
    {
        return AnsweredCatalogue::contents({m_catalogue->groups()->at(number)});
    }
    TestContent *institution() const { return group(1).value(0); }
    TestContent *firstVerdict() const { return group(2).value(9); }
    TestContent *illuminance() const { return group(3).value(0); }

    // A stored session of the display, answered with its own institution, a
    // "yes" verdict and an illuminance.
    void storeSession(const ScreenIdentity::Identity &screen, const QString &institutionName,
                      const QString &type = "dailyConstancy", int failed = 0, const QVariantMap &measured = {})
    {
        m_catalogue = std::make_unique<TestsManager>();
        institution()->setResultText(institutionName);
        firstVerdict()->setResultBoolean(true);
        illuminance()->setResultText("120");
        QVariantMap groups;
        for (const TestGroup *each : *m_catalogue->groups())
            groups.insert(QString::number(each->number()), each->toVariantMap());
        QVariantMap details{{"display", identityOf(screen)}, {"testtype", type}};
        if (!measured.isEmpty())
            details.insert("measured", measured);
        QVERIFY(m_store->addSession(groups, "Dana", 8, uint(failed), 0, " (MAKER - MD27)", details));
    }

    std::optional<DisplayPreparation::Outcome> prepare(const ScreenIdentity::Identity &screen,
                                                       const QString &type = "dailyConstancy")
    {
        return DisplayPreparation(m_store.get(), nullptr).prepare(screen, type);
    }

private slots:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<ConfigurationManager>(m_dir->filePath("settings.ini"));
        m_catalogue = std::make_unique<TestsManager>();
        ModalAnswers::rejectUnexpectedDialogs();
    }

    void cleanup()
    {
        m_catalogue.reset();
        m_store.reset();
        const ModalAnswers::Leftovers left = ModalAnswers::finish();
        QCOMPARE(left.unanswered, 0);
        QCOMPARE(left.pending, 0);
    }

    // Two displays with their own identities: each session starts from the
    // newest session of its own display, never from the other's, and never
    // with a verdict or a reading; a display without sessions starts empty.
    void prefillFromOwnDisplayOnly()
    {
        for (const auto &screen : {ScreenA, ScreenB})
            QVERIFY(m_store->classifyDisplay(identityOf(screen), "ct", "RK3"));
        storeSession(ScreenA, "Clinic A");
        storeSession(ScreenB, "Clinic B");
        TestingSession session(nullptr, m_catalogue->groups(), nullptr);
        for (const auto &[screen, expected] :
             {std::pair{ScreenA, QString("Clinic A")}, std::pair{ScreenB, QString("Clinic B")},
              std::pair{ScreenA, QString("Clinic A")}, std::pair{Other, QString()}}) {
            if (screen.serialNumber == Other.serialNumber)
                answerDisplayDialog("ct", "RK3");
            ModalAnswers::clickButton("Keep the chosen type");
            const auto outcome = prepare(screen);
            QVERIFY(outcome);
            session.prefill(outcome->prefill);
            QCOMPARE(institution()->resultText(), expected);
            QVERIFY(!firstVerdict()->resultBoolean());
            QCOMPARE(illuminance()->resultText(), QString());
        }
    }

    // A screen that does not tell all of its name: the operator says which known
    // display it is, or that it is another one. One that tells maker and model
    // is offered the displays of its model; one that names itself nowhere, every one.
    void anonymousScreen()
    {
        for (const auto &screen : {ScreenA, ScreenB, Other})
            QVERIFY(m_store->classifyDisplay(identityOf(screen), "ct", "RK3"));
        storeSession(ScreenA, "Clinic A", "acceptance", 0, {{"maxLuminance", 420.0}});
        QStringList offered;
        answerInput(&offered, 0);
        auto outcome = prepare({"MAKER", "MD27", "", {4200, 2800}, {}});
        QCOMPARE(offered, (QStringList{"MAKER MD27 (SN A-1)", "MAKER MD27 (SN B-2)", "Another display"}));
        QVERIFY(outcome);
        QCOMPARE(outcome->context.reference, (QVariantMap{{"maxLuminance", 420.0}}));
        QCOMPARE(outcome->prefill.value("1").toMap(), m_store->latestSessionResults().value("1").toMap());

        // Another display: asked for its class, offered as acceptance, nothing prefilled, nothing stored.
        answerInput(&offered, 3);
        QString shown;
        answerDisplayDialog("mammography", "RK1", &shown);
        ModalAnswers::clickButton("Acceptance test");
        outcome = prepare(Anonymous);
        QVERIFY(outcome);
        QCOMPARE(offered.size(), 4);
        QCOMPARE(shown, QStringLiteral("A display not tested before"));
        QCOMPARE(outcome->context.category, QStringLiteral("mammography"));
        QCOMPARE(outcome->context.testType, QStringLiteral("acceptance"));
        QVERIFY(outcome->prefill.isEmpty());
        QCOMPARE(m_store->database()->displays().size(), 3);

        ModalAnswers::chooseItem(QString());
        QVERIFY(!prepare(Anonymous));
    }

    // The other displays of the station are the workstation, each with its newest L'max, until one is grouped apart.
    void workstationPeers()
    {
        storeSession(ScreenB, "Clinic B", "acceptance", 0, {{"maxLuminance", 420.0}});
        storeSession(ScreenB, "Clinic B", "dailyConstancy", 0);
        QVERIFY(m_store->classifyDisplay(identityOf(ScreenA), "ct", "RK3"));
        ModalAnswers::clickButton("Keep the chosen type");
        auto outcome = prepare(ScreenA);
        QVERIFY(outcome);
        QCOMPARE(outcome->context.workstation.size(), 1);
        QCOMPARE(outcome->context.workstation.constFirst().display, QStringLiteral("MAKER MD27 (SN B-2)"));
        QVERIFY(outcome->context.workstation.constFirst().hasMaxLuminance);
        QCOMPARE(outcome->context.workstation.constFirst().maxLuminance, 420.0);
        QCOMPARE(outcome->context.workstation.constFirst().measuredOn, QDate::currentDate());

        QVERIFY(m_store->setWorkstation(DisplayRecord::key(identityOf(ScreenB)), "Reading room 2"));
        ModalAnswers::clickButton("Keep the chosen type");
        outcome = prepare(ScreenA);
        QVERIFY(outcome);
        QVERIFY(outcome->context.workstation.isEmpty());
    }

    // A room class offers only the categories that belong to it; the dialog names MR as out of scope.
    void roomClassPairs_data()
    {
        QTest::addColumn<QString>("roomClass");
        QTest::addColumn<QStringList>("offered");
        const QStringList diagnosis{
            "mammography", "mammographyStereotaxy", "projectionRadiography", "fluoroscopy", "ct", "viewing"};
        for (const char *roomClass : {"RK1", "RK2", "RK3"})
            QTest::newRow(roomClass) << roomClass << diagnosis;
        QTest::newRow("RK4") << "RK4" << QStringList{"viewing"};
        QTest::newRow("RK5") << "RK5" << QStringList{"dentalRk5"};
        QTest::newRow("RK6") << "RK6" << QStringList{"dentalRk6"};
    }

    void roomClassPairs()
    {
        QFETCH(QString, roomClass);
        QFETCH(QStringList, offered);
        // A display stored with a pair that does not belong together is offered the first that does.
        DisplayDialog dialog("MAKER MD27", "dentalRk6", "RK1");
        auto *roomClasses = dialog.findChild<QComboBox *>("roomClassComboBox");
        auto *categories = dialog.findChild<QComboBox *>("categoryComboBox");
        QCOMPARE(dialog.category(), QStringLiteral("mammography"));
        roomClasses->setCurrentIndex(roomClasses->findData(roomClass));
        QStringList shown;
        for (int i = 0; i < categories->count(); ++i)
            shown << categories->itemData(i).toString();
        QCOMPARE(shown, offered);
        QCOMPARE(dialog.category(), offered.constFirst());
        QVERIFY(dialog.findChild<QLabel *>("scopeLabel")->text().contains("magnetic resonance"));
        QVERIFY(dialog.findChild<QComboBox *>("workstationComboBox")->isHidden());
    }

    void askedBeforeStart_data()
    {
        QTest::addColumn<QString>("category"); // stored before, "" for none
        QTest::addColumn<bool>("hasReference");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("dialogAnswer"); // "" cancels, "-" not asked
        QTest::addColumn<QString>("offerAnswer");  // "-" not asked
        QTest::addColumn<QString>("startedType");  // "" not started
        const auto row = [](const char *name, const char *category, bool hasReference, const char *type,
                            const char *dialogAnswer, const char *offerAnswer, const char *startedType) {
            QTest::newRow(name) << category << hasReference << type << dialogAnswer << offerAnswer << startedType;
        };
        row("known, classified, with reference", "ct", true, "periodicConstancy", "-", "-", "periodicConstancy");
        row("not classified: asked", "", true, "dailyConstancy", "mammography", "-", "dailyConstancy");
        row("class dialog cancelled", "", true, "dailyConstancy", "", "-", "");
        row("no reference: offered, taken", "ct", false, "periodicConstancy", "-", "Acceptance test", "acceptance");
        row("no reference: offered, declined", "ct", false, "dailyConstancy", "-", "Keep the chosen type",
            "dailyConstancy");
        row("no reference, acceptance chosen", "ct", false, "acceptance", "-", "-", "acceptance");
    }
    void askedBeforeStart()
    {
        QFETCH(QString, category);
        QFETCH(bool, hasReference);
        QFETCH(QString, type);
        QFETCH(QString, dialogAnswer);
        QFETCH(QString, offerAnswer);
        QFETCH(QString, startedType);
        if (!category.isEmpty())
            QVERIFY(m_store->classifyDisplay(identityOf(ScreenA), category, "RK2"));
        if (hasReference)
            storeSession(ScreenA, "Clinic A", "acceptance", 0, {{"maxLuminance", 420.0}});
        QString shown;
        if (dialogAnswer != "-")
            answerDisplayDialog(dialogAnswer, "RK2", &shown);
        if (offerAnswer != "-")
            ModalAnswers::clickButton(offerAnswer);
        const auto outcome = prepare(ScreenA, type);
        QCOMPARE(bool(outcome), !startedType.isEmpty());
        if (dialogAnswer != "-")
            QCOMPARE(shown, QStringLiteral("MAKER MD27 (SN A-1)"));
        if (!outcome)
            return;
        QCOMPARE(outcome->context.testType, startedType);
        const DisplayRecord stored = m_store->database()->display(DisplayRecord::key(identityOf(ScreenA))).value();
        QCOMPARE(outcome->context.category, stored.category);
        QCOMPARE(outcome->context.roomClass, stored.roomClass);
        QCOMPARE(outcome->context.classifiedOn, QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(stored.category, category.isEmpty() ? dialogAnswer : category);
    }

    // The page lists every display; the dialog's items carry the table's ids;
    // a new class is stored with its date; a chosen acceptance test becomes
    // the reference.
    void displayPage()
    {
        storeSession(ScreenB, "Clinic B", "acceptance", 0, {{"maxLuminance", 420.0}});
        storeSession(ScreenB, "Clinic B", "acceptance", 1, {{"maxLuminance", 380.0}});
        storeSession(ScreenB, "Clinic B", "periodicConstancy", 0, {{"maxLuminance", 300.0}});
        storeSession(ScreenA, "Clinic A", "dailyConstancy", 2);
        DisplaysPage page(m_store.get());
        auto *table = page.findChild<QTableView *>("displaysTableView");
        QCOMPARE(table->model()->rowCount(), 2);
        const auto cell = [&](int row, int column) { return table->model()->index(row, column).data().toString(); };
        QCOMPARE(cell(0, DisplaysModel::DisplayColumn), QStringLiteral("MAKER MD27 (SN A-1)"));
        QCOMPARE(cell(0, DisplaysModel::CategoryColumn), QStringLiteral("not chosen"));
        QCOMPARE(cell(0, DisplaysModel::ReferenceColumn), QStringLiteral("none"));
        QCOMPARE(cell(0, DisplaysModel::ResultColumn), QStringLiteral("failed"));
        QCOMPARE(cell(1, DisplaysModel::ReferenceColumn), LocalFormats::date(QDate::currentDate()));
        QVERIFY(!page.findChild<QPushButton *>("classifyPushButton")->isEnabled());

        table->setCurrentIndex(table->model()->index(0, 0));
        answerDisplayDialog("dentalRk5", "RK5", nullptr, "Reading room 2");
        QTest::mouseClick(page.findChild<QPushButton *>("classifyPushButton"), Qt::LeftButton);
        QCOMPARE(cell(0, DisplaysModel::CategoryColumn), QStringLiteral("VI Dental diagnosis (room class RK5)"));
        QCOMPARE(cell(0, DisplaysModel::WorkstationColumn), QStringLiteral("Reading room 2"));
        QCOMPARE(cell(1, DisplaysModel::WorkstationColumn), QStringLiteral("This station"));
        QCOMPARE(cell(0, DisplaysModel::RoomClassColumn), QStringLiteral("RK5 (up to 100 lx)"));
        QCOMPARE(cell(0, DisplaysModel::ClassifiedColumn), LocalFormats::date(QDate::currentDate()));

        // Display A has no acceptance test to choose.
        ModalAnswers::clickButton("OK");
        QTest::mouseClick(page.findChild<QPushButton *>("referencePushButton"), Qt::LeftButton);

        // Display B: both acceptance tests are offered, the failed one too; it becomes the reference only
        // with a reason, kept with who chose it and when.
        table->setCurrentIndex(table->model()->index(1, 0));
        const auto referenceOfB = [&] {
            return m_store->database()->display(DisplayRecord::key(identityOf(ScreenB))).value();
        };
        QStringList offered;
        QString refusal;
        answerInput(&offered, 0);
        answerInput(nullptr, 0, "  ");
        ModalAnswers::clickButton("OK", &refusal);
        QTest::mouseClick(page.findChild<QPushButton *>("referencePushButton"), Qt::LeftButton);
        QCOMPARE(offered.size(), 2);
        QVERIFY2(offered.value(0).endsWith(" - Dana - failed"), qPrintable(offered.join('|')));
        QCOMPARE(refusal, TR::Translator::instance()->translate("measure_reasonRequired"));
        QCOMPARE(referenceOfB().reference.value("maxLuminance").toDouble(), 420.0);

        answerInput(&offered, 0);
        answerInput(nullptr, 0, "panel replaced, new acceptance test booked");
        QTest::mouseClick(page.findChild<QPushButton *>("referencePushButton"), Qt::LeftButton);
        QCOMPARE(referenceOfB().reference.value("maxLuminance").toDouble(), 380.0);
        const QVariantMap choice = referenceOfB().referenceChoice;
        QCOMPARE(choice.value("reason").toString(), QString("panel replaced, new acceptance test booked"));
        QCOMPARE(choice.value("by").toString(), qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME")));
        QVERIFY(QDateTime::fromString(choice.value("on").toString(), Qt::ISODate).isValid());

        // A passed test asks for no reason.
        answerInput(&offered, 1);
        QTest::mouseClick(page.findChild<QPushButton *>("referencePushButton"), Qt::LeftButton);
        QCOMPARE(referenceOfB().reference.value("maxLuminance").toDouble(), 420.0);
        QVERIFY(!referenceOfB().referenceChoice.contains("reason"));
    }
};

QTEST_MAIN(TestDisplays)
#include "tst_displays.moc"
