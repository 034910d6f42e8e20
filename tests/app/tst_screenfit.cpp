#include "mainwindow.h"

#include "savedsessionsmodel.h"
#include "support/cataloguesteps.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"
#include "testframe.h"
#include "testinputdialog.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>
#include <QtTest>

namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

bool insideScrolledArea(const QWidget *widget)
{
    for (const QWidget *up = widget->parentWidget(); up; up = up->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea *>(up))
            return true;
    }
    return false;
}

// The window lies within the screen's available area; each of its buttons and
// choosers outside scrolled areas is shown whole, on the screen, wide enough
// for its text.
QStringList misfits(const QWidget *window)
{
    QStringList found;
    if (!available().contains(window->frameGeometry()))
        found << QStringLiteral("%1 at %2,%3 %4x%5")
                     .arg(window->metaObject()->className())
                     .arg(window->frameGeometry().x())
                     .arg(window->frameGeometry().y())
                     .arg(window->frameGeometry().width())
                     .arg(window->frameGeometry().height());
    QList<QWidget *> controls;
    for (QPushButton *button : window->findChildren<QPushButton *>())
        controls << button;
    for (QComboBox *chooser : window->findChildren<QComboBox *>())
        controls << chooser;
    for (const QWidget *control : qAsConst(controls)) {
        if (!control->isVisible() || insideScrolledArea(control))
            continue;
        const QRect global(control->mapToGlobal(QPoint()), control->size());
        const bool whole = control->visibleRegion().boundingRect() == control->rect();
        // Only a text can be cut; the picture buttons have sizes of their own.
        const bool hasText = !control->property("text").toString().isEmpty() || qobject_cast<const QComboBox *>(control);
        const bool wideEnough = !hasText || control->width() >= control->minimumSizeHint().width();
        if (!available().contains(global) || !whole || !wideEnough)
            found << control->objectName() + QLatin1Char(' ') + control->property("text").toString();
    }
    return found;
}

} // namespace

// Every window and dialog of the program on the screen this test runs on: a
// 1280 x 720 screen, and a 1920 x 1080 screen at scale factor 2.
class TestScreenFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void mainWindowPages_data();
    void mainWindowPages();
    void dialogs();
    void inputDialogOfEveryStep();

private:
    void openWindow(const QString &language);
    std::unique_ptr<MainWindow> m_window;
};

void TestScreenFit::initTestCase()
{
    QFile::remove(QStringLiteral("Lumivex 2016.ini"));
    QVERIFY(available().width() <= 1280 && available().height() <= 720);
}

void TestScreenFit::cleanup()
{
    m_window.reset();
    QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
    QCOMPARE(ModalPrompt::pendingAnswers(), 0);
    ModalPrompt::reset();
}

void TestScreenFit::openWindow(const QString &language)
{
    m_window = std::make_unique<MainWindow>();
    auto *chooser = m_window->findChild<QComboBox *>(QStringLiteral("languageComboBox"));
    chooser->setCurrentIndex(chooser->findData(language));
    m_window->showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestScreenFit::mainWindowPages_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("German") << "de";
    QTest::newRow("Italian") << "it";
    QTest::newRow("English") << "en";
}

void TestScreenFit::mainWindowPages()
{
    QFETCH(QString, language);
    openWindow(language);
    auto *pages = m_window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QStringList found = misfits(m_window.get());
        QVERIFY2(found.isEmpty(), qPrintable(pages->widget(page)->objectName() + ": " + found.join(", ")));
    }
}

// The task dialog, the choice of monitor and the report preview, in German.
void TestScreenFit::dialogs()
{
    openWindow(QStringLiteral("de"));
    m_window->findChild<SavedSessionsModel *>()->addSession(QVariantMap(), QStringLiteral("Dana Weber"), 1, 0, 0,
                                                              QStringLiteral(" (Quorvane - MedView 27D)"));
    QStringList found;
    const auto look = [&found](QDialog *dialog) {
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        found << misfits(dialog);
        dialog->reject();
    };
    ModalAnswers::handle(look);
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "addTaskClicked"));
    ModalAnswers::handle(look);
    m_window->goTestClicked();
    ModalAnswers::handle(look);
    m_window->listSavedSessionsClicked();
    ItemViews::clickCell(m_window->findChild<QTableView *>(QStringLiteral("listSavedSessionsTableView")), 0,
                         SavedSessionsModel::ReportColumn);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(", ")));
}

// The questions dialog keeps its buttons on the screen at every step.
void TestScreenFit::inputDialogOfEveryStep()
{
    TestsManager catalogue;
    TestFrame frame;
    frame.setScreenRect(QGuiApplication::primaryScreen()->geometry());
    for (Test *test : catalogueSteps(catalogue)) {
        frame.setTest(test);
        frame.showFullScreen();
        TestInputDialog *dialog = frame.inputDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QVERIFY2(QGuiApplication::primaryScreen()->geometry().contains(dialog->frameGeometry()), qPrintable(test->id()));
        if (!dialog->isCollapsed()) {
            const QStringList found = misfits(dialog);
            QVERIFY2(found.isEmpty(), qPrintable(test->id() + ": " + found.join(", ")));
        }
        frame.close();
    }
}

QTEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
