#include "mainwindow.h"

#include "addtaskdialog.h"
#include "calibrationdialog.h"
#include "configurationmanager.h"
#include "dicomexportdialog.h"
#include "displaydialog.h"
#include "displayrecord.h"
#include "meterassist.h"
#include "meterpanel.h"
#include "savedsessionsmodel.h"
#include "support/cataloguesteps.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"
#include "support/patience.h"
#include "support/translated.h"
#include "support/watchingpaintengine.h"
#include "testframe.h"
#include "testinputdialog.h"
#include "translator.h"
#include "withdrawdialog.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>
#include <QTextEdit>
#include <QtTest>

#include <functional>

namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Whether the widget or one of its parents is of one of the kinds.
template <typename... Kinds> bool within(const QWidget *widget)
{
    for (const QWidget *at = widget; at; at = at->parentWidget()) {
        if ((qobject_cast<const Kinds *>(at) || ...))
            return true;
    }
    return false;
}

// Every text of the window's visible widgets, each widget painted on its own.
QStringList cutTexts(QWidget *window)
{
    QStringList found;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : qAsConst(widgets)) {
        if (!widget->isVisible() || widget->size().isEmpty() || within<QLineEdit, QTextEdit, QPlainTextEdit>(widget))
            continue;
        WatchingImage picture(widget->size());
        const QWidget *view = widget->parentWidget();
        picture.engine.widthsOnly =
            qobject_cast<const QAbstractItemView *>(view) && !qobject_cast<const QHeaderView *>(view);
        widget->render(&picture, QPoint(), QRegion(), QWidget::RenderFlags());
        for (const QString &text : qAsConst(picture.engine.cut))
            found << widget->metaObject()->className() + QLatin1Char(' ') + widget->objectName() + QLatin1Char(' ') +
                         text;
    }
    return found;
}

// The window lies within the screen's available area; each of its buttons and
// choosers outside scrolled areas is shown whole, on the screen, wide enough
// for its text; no text of it is cut.
QStringList misfits(QWidget *window)
{
    // A text set a moment ago is laid out by a posted request, which a busy
    // machine may not have delivered yet; the window is judged as it settles.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QStringList found;
    if (!available().contains(window->frameGeometry()))
        found << window->metaObject()->className() + QStringLiteral(" beyond the screen");
    for (const QWidget *control : window->findChildren<QWidget *>()) {
        const bool button = qobject_cast<const QPushButton *>(control) || qobject_cast<const QComboBox *>(control);
        if (!button || !control->isVisible() || within<QAbstractScrollArea>(control->parentWidget()))
            continue;
        const QRect global(control->mapToGlobal(QPoint()), control->size());
        const bool whole = control->visibleRegion().boundingRect() == control->rect();
        if (!available().contains(global) || !whole)
            found << control->objectName() + QLatin1Char(' ') + control->property("text").toString();
    }
    return found + cutTexts(window);
}

} // namespace

// Every window and dialog of the program on the screen this test runs on: a
// 1280 x 720 screen, a 1366 x 768 screen, and a 1920 x 1080 screen at scale
// factor 2, each in German, Italian and English.
class TestScreenFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QFile::remove(QStringLiteral("Lumivex 2016.ini"));
        QVERIFY(available().width() <= 1366 && available().height() <= 768);
    }

    void init() { ModalAnswers::rejectUnexpectedDialogs(); }

    void cleanup()
    {
        m_window.reset();
        QCOMPARE(ModalPrompt::unansweredDialogs(), 0);
        QCOMPARE(ModalPrompt::pendingAnswers(), 0);
        ModalPrompt::reset();
    }

    void windows_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("dialog");
        for (const char *language : {"de", "it", "en"}) {
            for (const char *dialog :
                 {"main window pages", "task", "monitor choice", "report preview", "display", "calibration",
                  "DICOM export", "withdrawal", "damaged store", "meter messages", "oversized dialog"})
                QTest::addRow("%s %s", language, dialog) << language << dialog;
        }
    }

    // Each page of the main window, each dialog as the window opens it, or made as the window makes it.
    void windows()
    {
        QFETCH(QString, language);
        QFETCH(QString, dialog);
        openWindow(language);
        QStringList found;
        const auto look = [&found](QDialog *shown) {
            QVERIFY(QTest::qWaitForWindowExposed(shown, Patience));
            found << misfits(shown);
            shown->reject();
        };
        const auto lookAt = [&look](QDialog *made) {
            made->show();
            look(made);
            delete made;
        };
        const QString display = QStringLiteral("Quorvane MedView 27D Diagnostik (SN QV27-00412-ABCDEF)");
        const QMap<QString, std::function<void()>> open{
            {"main window pages",
             [&] {
                 auto *pages = m_window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
                 for (int page = 0; page < pages->count(); ++page) {
                     pages->setCurrentIndex(page);
                     QCoreApplication::processEvents();
                     for (const QString &misfit : misfits(m_window.get()))
                         found << pages->widget(page)->objectName() + ": " + misfit;
                 }
             }},
            {"task", [&] { lookAt(new AddTaskDialog(m_window.get())); }},
            {"monitor choice",
             [&] {
                 ModalAnswers::handle(look);
                 m_window->goTestClicked();
             }},
            {"report preview",
             [&] {
                 ModalAnswers::handle(look);
                 m_window->listSavedSessionsClicked();
                 ItemViews::clickCell(m_window->findChild<QTableView *>(QStringLiteral("listSavedSessionsTableView")),
                                      0, SavedSessionsModel::ReportColumn);
             }},
            {"display", [&] { lookAt(new DisplayDialog(display, QString(), QString(), m_window.get())); }},
            {"calibration",
             [&] {
                 DisplayRecord record = DisplayRecord::fromIdentity({{"maker", "Quorvane"}, {"model", "MedView 27D"}});
                 auto *calibration =
                     new CalibrationDialog(ConfigurationManager::instance(), record, {}, m_window.get());
                 calibration->show();
                 // With no program set the run stops at once and says why.
                 QTRY_VERIFY_WITH_TIMEOUT(!calibration->findChild<QLabel *>("resultLabel")->text().isEmpty(), Patience);
                 lookAt(calibration);
             }},
            {"DICOM export", [&] { lookAt(new DicomExportDialog({translated("display") + "0 - " + display}, 0)); }},
            {"withdrawal", [&] { lookAt(new WithdrawDialog(display + " - 07.12.2026 08:15", m_window.get())); }},
            // A damaged store's message with a long path and its details.
            {"damaged store",
             [&] {
                 ModalAnswers::handle(look);
                 const QString copy = QStringLiteral("/home/medizinphysik/.local/share/lumivex/"
                                                     "Lumivex.sqlite.damaged-20261207-0815");
                 ModalPrompt::question(m_window.get(), QMessageBox::Warning, translated("attention"),
                                       translated("storeDamaged").arg(copy) + QStringLiteral("\n\n") +
                                           translated("records_recovered").arg("1234", "12", "3"),
                                       {{translated("ok"), QMessageBox::AcceptRole}});
             }},
            // Whatever size a modal dialog asks for, it is shown within the screen.
            {"oversized dialog",
             [&] {
                 ModalAnswers::handle(look);
                 QDialog oversized(m_window.get());
                 oversized.resize(available().size() * 2);
                 ModalPrompt::exec(&oversized);
             }},
            // The meter's longest messages: a time-out and a meter's output without spaces.
            {"meter messages",
             [&] {
                 auto *meterDialog = new TestInputDialog(m_window.get());
                 MeterPanel *panel = meterDialog->meterAssist()->panel();
                 panel->show();
                 panel->setProgress(translated("meter_progress").arg(17).arg(18));
                 panel->setMessage(translated("meter_timeOut").arg("20,0") + QLatin1Char('\n') +
                                       translated("meter_garbage").arg(QString("Spotreadfailed:").repeated(12)),
                                   true);
                 lookAt(meterDialog);
             }},
        };
        open.value(dialog)();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(", ")));
    }

    // The questions dialog keeps its buttons on the screen at every step.
    void inputDialogOfEveryStep()
    {
        TestsManager catalogue;
        TestFrame frame;
        frame.setScreenRect(QGuiApplication::primaryScreen()->geometry());
        for (Test *test : catalogueSteps(catalogue)) {
            frame.setTest(test);
            frame.showFullScreen();
            TestInputDialog *dialog = frame.inputDialog();
            QVERIFY(QTest::qWaitForWindowExposed(dialog, Patience));
            QVERIFY2(QGuiApplication::primaryScreen()->geometry().contains(dialog->frameGeometry()),
                     qPrintable(test->id()));
            if (!dialog->isCollapsed()) {
                const QStringList found = misfits(dialog);
                QVERIFY2(found.isEmpty(), qPrintable(test->id() + ": " + found.join(", ")));
            }
            frame.close();
        }
    }

private:
    void openWindow(const QString &language)
    {
        m_window = std::make_unique<MainWindow>();
        auto *chooser = m_window->findChild<QComboBox *>(QStringLiteral("languageComboBox"));
        chooser->setCurrentIndex(chooser->findData(language));
        m_window->showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), Patience));
        // A session of a known display, so that the displays page has a row of dates and a result to fit.
        const QVariantMap display{{"maker", "Quorvane"}, {"model", "MedView 27D"}, {"serial", "QV27-00412"}};
        m_window->findChild<SavedSessionsModel *>()->addSession(
            QVariantMap(), QStringLiteral("Dr. Ilse Wendtner-Balestri"), 1, 0, 0,
            QStringLiteral(" (Quorvane - MedView 27D)"), {{"display", display}, {"testtype", "dailyConstancy"}});
    }

    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
