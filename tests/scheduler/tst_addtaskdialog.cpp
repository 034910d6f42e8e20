#include "addtaskdialog.h"
#include "defaultdictionary.h"
#include "scheduleritemdelegate.h"
#include "schedulertesting.h"
#include "support/modalanswers.h"
#include "translator.h"

#include <QCryptographicHash>
#include <QDateEdit>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(const QAbstractItemModel *)

// The task dialog, and the buttons of the task table that lead to it.
class TestAddTaskDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newTask_data();
    void newTask();
    void blankDescriptionKeepsDialogOpen();
    void editKeepsIdAndLastRun();
    void sameSecondGivesNewId();

    void delegateClicks_data();
    void delegateClicks();
    void delegatePaintsDeleteIconAlone();

private:
    AddTaskDialog *openDialog(QRandomGenerator *random = nullptr);
    void type(QWidget *widget, const QString &text);

    std::unique_ptr<SchedulerFixture> m_scheduler;
    std::unique_ptr<AddTaskDialog> m_dialog;
};

void TestAddTaskDialog::initTestCase()
{
    TR::Translator::instance()->setModel(TR::defaultDictionary());
    qRegisterMetaType<const QAbstractItemModel *>();
}

void TestAddTaskDialog::init()
{
    m_scheduler = std::make_unique<SchedulerFixture>();
}

void TestAddTaskDialog::cleanup()
{
    m_dialog.reset();
    ModalPrompt::reset();
}

// A new task's dialog, wired to the scheduler as the main window wires it.
AddTaskDialog *TestAddTaskDialog::openDialog(QRandomGenerator *random)
{
    m_dialog = std::make_unique<AddTaskDialog>(nullptr, &m_scheduler->store, &m_scheduler->clock, random);
    connect(m_dialog.get(), &AddTaskDialog::addTask, &m_scheduler->manager, &SchedulerManager::addTask);
    m_dialog->show();
    return m_dialog.get();
}

// Replaces the widget's text as an operator does: select all, then type.
void TestAddTaskDialog::type(QWidget *widget, const QString &text)
{
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(widget, text);
}

void TestAddTaskDialog::newTask_data()
{
    QTest::addColumn<QString>("typedDate");
    QTest::addColumn<QString>("typedDays");
    QTest::addColumn<QDateTime>("expectedDate");
    QTest::addColumn<int>("expectedDays");
    QTest::addColumn<QString>("listedDays");

    QTest::newRow("single run from today") << ""
                                           << "0" << at(2026, 1, 31) << 0 << "-";
    QTest::newRow("199 days") << "15032026"
                              << "199" << at(2026, 3, 15) << 199 << "199";
    QTest::newRow("days above 1000 cannot be entered") << ""
                                                       << "1001" << at(2026, 1, 31) << 100 << "100";
    QTest::newRow("year before 2014 cannot be entered") << "31122013"
                                                        << "7" << at(2026, 12, 31) << 7 << "7";
}

void TestAddTaskDialog::newTask()
{
    QFETCH(QString, typedDate);
    QFETCH(QString, typedDays);
    QFETCH(QDateTime, expectedDate);
    QFETCH(int, expectedDays);
    QFETCH(QString, listedDays);

    AddTaskDialog *dialog = openDialog();
    type(dialog->findChild<QLineEdit *>("descriptionLineEdit"), "Weekly constancy");
    if (!typedDate.isEmpty()) {
        // As after a click on the day: the date is typed section by section.
        auto *dateEdit = dialog->findChild<QDateEdit *>("scheduledDateEdit");
        dateEdit->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(dateEdit, typedDate);
    }
    type(dialog->findChild<QSpinBox *>("frequencySpinBox"), typedDays);
    QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);

    QVERIFY(!dialog->isVisible());
    const QVariantList tasks = m_scheduler->store.tasks();
    QCOMPARE(tasks.size(), 1);
    const QVariantMap stored = tasks.constFirst().toMap();
    QCOMPARE(stored.keys(), (QStringList{"date", "description", "frequency", "id", "scheduledtestslist"}));
    QCOMPARE(stored.value("date").toDateTime(), expectedDate);
    QCOMPARE(stored.value("description").toString(), "Weekly constancy");
    QCOMPARE(stored.value("frequency").userType(), int(QMetaType::ULongLong));
    QCOMPARE(stored.value("frequency").toLongLong(), expectedDays * kDay);
    QCOMPARE(stored.value("scheduledtestslist").toList(), (QVariantList{0u, 1u, 2u, 3u}));
    SchedulerManager &list = m_scheduler->manager;
    QTRY_COMPARE(list.rowCount(), 1);
    QCOMPARE(list.data(list.index(0, SchedulerManager::kColumnFrequency)).toString(), listedDays);
}

void TestAddTaskDialog::blankDescriptionKeepsDialogOpen()
{
    AddTaskDialog *dialog = openDialog();
    auto *description = dialog->findChild<QLineEdit *>("descriptionLineEdit");
    type(description, "   ");
    QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QCOMPARE(description->styleSheet(), "border:1px solid red;");
    QVERIFY(m_scheduler->store.tasks().isEmpty());

    type(description, "Monthly check");
    QTest::keyClick(description, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(m_scheduler->store.tasks().size(), 1);
}

void TestAddTaskDialog::editKeepsIdAndLastRun()
{
    QVariantMap stored = task("weekly", at(2026, 1, 5, 8, 30), 199 * kDay, at(2026, 1, 20, 9, 15));
    stored.insert("scheduledtestslist", QVariantList{0u, "5", "three", 6u}); // edited by hand
    m_scheduler->store.addTask(stored);
    m_scheduler->manager.processQueue();

    QList<int> tickedRows;
    ModalAnswers::handle([&](QDialog *dialog) {
        auto *view = dialog->findChild<QTableView *>("testsTableView");
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            if (view->model()->index(row, 0).data(Qt::CheckStateRole) == Qt::Checked) {
                tickedRows.append(row);
            }
        }
        QCOMPARE(dialog->findChild<QSpinBox *>("frequencySpinBox")->value(), 199);
        type(dialog->findChild<QLineEdit *>("descriptionLineEdit"), "Edited");
        for (int row : {0, 4, 6}) { // required, unscheduled, scheduled
            view->setCurrentIndex(view->model()->index(row, 0));
            QTest::keyClick(view, Qt::Key_Space);
        }
        QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
    });
    m_scheduler->manager.editTasks({"unknown", "weekly"});

    QCOMPARE(ModalPrompt::pendingAnswers(), 0);
    QCOMPARE(tickedRows, (QList<int>{0, 1, 2, 3, 5, 6}));
    stored.insert("description", "Edited");
    stored.insert("scheduledtestslist", QVariantList{0u, 1u, 2u, 3u, 4u, 5u});
    QCOMPARE(m_scheduler->store.tasks(), QVariantList{stored});
    SchedulerManager &list = m_scheduler->manager;
    QTRY_COMPARE(list.data(list.index(0, SchedulerManager::kColumnDescription)).toString(), "Edited");
    QCOMPARE(list.data(list.index(0, SchedulerManager::kColumnFrequency)).toString(), "199");
}

void TestAddTaskDialog::sameSecondGivesNewId()
{
    // The same random numbers in the same second: the second id is drawn again.
    QRandomGenerator first(7);
    QRandomGenerator second(7);
    for (QRandomGenerator *random : {&first, &second}) {
        AddTaskDialog *dialog = openDialog(random);
        auto *description = dialog->findChild<QLineEdit *>("descriptionLineEdit");
        type(description, "Same second");
        QTest::keyClick(description, Qt::Key_Return);
    }
    const QVariantList tasks = m_scheduler->store.tasks();
    QCOMPARE(tasks.size(), 2);
    const QByteArray seed = "31/01/2026 12:00:00" + QByteArray::number(QRandomGenerator(7).generate());
    QCOMPARE(tasks.at(0).toMap().value("id").toString(),
             QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex()));
    QVERIFY(tasks.at(1).toMap().value("id") != tasks.at(0).toMap().value("id"));
}

void TestAddTaskDialog::delegateClicks_data()
{
    QTest::addColumn<QPoint>("pressCell");
    QTest::addColumn<QPoint>("releaseCell");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<int>("emitted");
    // Cells as (column, row).
    QTest::newRow("click on delete") << QPoint(4, 1) << QPoint(4, 1) << true << 1;
    QTest::newRow("click on start") << QPoint(6, 0) << QPoint(6, 0) << true << 1;
    QTest::newRow("click on last run") << QPoint(3, 0) << QPoint(3, 0) << true << 0;
    QTest::newRow("press on delete, release outside") << QPoint(4, 0) << QPoint(4, 0) << false << 0;
    QTest::newRow("release on another row's delete") << QPoint(4, 0) << QPoint(4, 1) << true << 0;
}

void TestAddTaskDialog::delegateClicks()
{
    QFETCH(QPoint, pressCell);
    QFETCH(QPoint, releaseCell);
    QFETCH(bool, releaseInside);
    QFETCH(int, emitted);

    SchedulerManager &model = m_scheduler->manager;
    m_scheduler->store.addTask(task("first", at(2026, 2, 1)));
    m_scheduler->store.addTask(task("second", at(2026, 2, 2)));
    model.processQueue();
    // Sent to the delegate itself: a view passes on a release only over the
    // pressed cell, and the delegate must not rely on that.
    SchedulerItemDelegate delegate;
    QSignalSpy clicked(&delegate, &SchedulerItemDelegate::buttonClicked);
    auto send = [&](QEvent::Type type, const QPoint &cell, bool inside) {
        QStyleOptionViewItem option;
        option.rect = QRect(cell.x() * 60, cell.y() * 30, 60, 30);
        const QPoint position = inside ? option.rect.center() : option.rect.bottomRight() + QPoint(1, 1);
        QMouseEvent event(type, position, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        const QModelIndex index = model.index(cell.y(), cell.x());
        QVERIFY(static_cast<QAbstractItemDelegate &>(delegate).editorEvent(&event, &model, option, index));
    };
    send(QEvent::MouseButtonPress, pressCell, true);
    send(QEvent::MouseButtonRelease, releaseCell, releaseInside);

    QCOMPARE(clicked.count(), emitted);
    if (emitted) {
        QCOMPARE(clicked.first().at(0).value<QModelIndex>(), model.index(pressCell.y(), pressCell.x()));
        QCOMPARE(clicked.first().at(1).value<const QAbstractItemModel *>(), &model);
    }
}

void TestAddTaskDialog::delegatePaintsDeleteIconAlone()
{
    m_scheduler->store.addTask(task("first", at(2026, 2, 1)));
    m_scheduler->manager.processQueue();
    const QModelIndex index = m_scheduler->manager.index(0, SchedulerManager::kColumnDelete);
    const SchedulerItemDelegate delegate;
    QStyleOptionViewItem option;
    option.rect = QRect(5, 7, 33, 25);

    QImage canvas(60, 40, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QImage expected = canvas;
    {
        QPainter painter(&canvas);
        delegate.paint(&painter, option, index);
    }
    const QPixmap icon(":/assets/deleteicon");
    QCOMPARE(icon.size(), QSize(24, 24));
    QPainter(&expected).drawPixmap(QPoint(10, 8), icon);
    QCOMPARE(canvas, expected);

    for (int column = 0; column < SchedulerManager::kColumnCount; ++column) {
        const int width = delegate.sizeHint(option, index.siblingAtColumn(column)).width();
        QCOMPARE(width == 42, column >= SchedulerManager::kColumnDelete);
    }
}

QTEST_MAIN(TestAddTaskDialog)
#include "tst_addtaskdialog.moc"
