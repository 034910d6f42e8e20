#include "addtaskdialog.h"
#include "scheduleritemdelegate.h"
#include "schedulertesting.h"
#include "support/itemviews.h"
#include "support/modalanswers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

Q_DECLARE_METATYPE(const QAbstractItemModel *)

// Replaces a field's text as an operator does: select all, then type.
static void type(QWidget *dialog, const char *field, const QString &text)
{
    QTest::keyClick(dialog->findChild<QWidget *>(field), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog->findChild<QWidget *>(field), text);
}

// The task dialog, and the buttons of the task table that lead to it.
class TestAddTaskDialog : public QObject
{
    Q_OBJECT
    std::unique_ptr<SchedulerFixture> m_scheduler;

private slots:
    void initTestCase() { qRegisterMetaType<const QAbstractItemModel *>(); }
    void init()
    {
        m_scheduler = std::make_unique<SchedulerFixture>();
        QVariantMap weekly = task("weekly", at(2026, 1, 5, 8, 30), 199 * kDay, at(2026, 1, 20, 9, 15));
        weekly.insert("scheduledtestslist", QVariantList{0u, "5", "three", 6u}); // edited by hand
        m_scheduler->store.addTask(weekly);
        m_scheduler->store.addTask(task("once", at(2026, 2, 2)));
        m_scheduler->manager.processQueue();
    }
    void cleanup() { ModalPrompt::reset(); }

    void newTask_data();
    void newTask();
    void editKeepsIdAndLastRun();
    void delegateClicks_data();
    void delegateClicks();
    void delegatePaintsButtonIconsAlone();
};

void TestAddTaskDialog::newTask_data()
{
    QTest::addColumn<QString>("typedDate");
    QTest::addColumn<int>("typedDays");
    QTest::addColumn<QDateTime>("expectedDate");
    QTest::addColumn<int>("expectedDays");

    QTest::newRow("single run from today") << "" << 0 << at(2026, 1, 31) << 0;
    QTest::newRow("199 days") << "15032026" << 199 << at(2026, 3, 15) << 199;
    QTest::newRow("days above 1000 cannot be entered") << "" << 1001 << at(2026, 1, 31) << 100;
    QTest::newRow("year before 2014 cannot be entered") << "31122013" << 7 << at(2026, 12, 31) << 7;
}

void TestAddTaskDialog::newTask()
{
    QFETCH(QString, typedDate);
    QFETCH(int, typedDays);
    QFETCH(QDateTime, expectedDate);
    QFETCH(int, expectedDays);

    // A stored task already has the id that the first random number gives in this second.
    QRandomGenerator random(7);
    QRandomGenerator draws(7);
    const auto idOf = [](quint32 number) {
        const QByteArray text = "31/01/2026 12:00:00" + QByteArray::number(number);
        return QString(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());
    };
    m_scheduler->store.addTask(task(idOf(draws.generate()), at(2026, 1, 1)));
    AddTaskDialog dialog(nullptr, &m_scheduler->store, &m_scheduler->clock, &random);
    connect(&dialog, &AddTaskDialog::addTask, &m_scheduler->manager, &SchedulerManager::addTask);
    dialog.show();

    type(&dialog, "descriptionLineEdit", "   ");
    QTest::mouseClick(dialog.findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.findChild<QLineEdit *>("descriptionLineEdit")->styleSheet(), "border:1px solid red;");
    QCOMPARE(m_scheduler->store.tasks().size(), 3);

    type(&dialog, "descriptionLineEdit", "Weekly constancy");
    if (!typedDate.isEmpty()) { // as after a click on the day: typed section by section
        dialog.findChild<QDateEdit *>()->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(dialog.findChild<QDateEdit *>(), typedDate);
    }
    type(&dialog, "frequencySpinBox", QString::number(typedDays));
    QTest::mouseClick(dialog.findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    const QVariantMap stored = m_scheduler->store.tasks().value(3).toMap();
    QCOMPARE(stored, (QVariantMap{{"id", idOf(draws.generate())},
                                  {"date", expectedDate},
                                  {"description", "Weekly constancy"},
                                  {"frequency", expectedDays * kDay},
                                  {"scheduledtestslist", QVariantList{0u, 1u, 2u, 3u}}}));
    QCOMPARE(stored.value("frequency").userType(), int(QMetaType::ULongLong));
}

void TestAddTaskDialog::editKeepsIdAndLastRun()
{
    QList<int> tickedRows;
    ModalAnswers::handle([&tickedRows](QDialog *dialog) {
        auto *view = dialog->findChild<QTableView *>();
        tickedRows = ItemViews::tickedRows(view);
        QCOMPARE(dialog->findChild<QSpinBox *>()->value(), 199);
        type(dialog, "descriptionLineEdit", "Edited");
        for (int row : {0, 4, 6}) // required, not scheduled, scheduled
            ItemViews::toggleRow(view, row);
        QTest::mouseClick(dialog->findChild<QPushButton *>("okPushButton"), Qt::LeftButton);
    });
    QVariantMap stored = m_scheduler->store.tasks().constFirst().toMap();
    m_scheduler->manager.editTasks({"unknown", "weekly"});

    QCOMPARE(ModalPrompt::pendingAnswers(), 0);
    QCOMPARE(tickedRows, (QList<int>{0, 1, 2, 3, 5, 6}));
    stored.insert("description", "Edited");
    stored.insert("scheduledtestslist", QVariantList{0u, 1u, 2u, 3u, 4u, 5u});
    QCOMPARE(m_scheduler->store.tasks().constFirst(), stored);
    QTRY_COMPARE(m_scheduler->manager.index(0, 0).data().toString(), "Edited");
    QCOMPARE(m_scheduler->manager.index(0, SchedulerManager::kColumnFrequency).data().toString(), "199");
}

void TestAddTaskDialog::delegateClicks_data()
{
    QTest::addColumn<QPoint>("pressCell");
    QTest::addColumn<QPoint>("releaseCell");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<int>("emitted");
    // Cells as (column, row).
    QTest::newRow("click on delete") << QPoint(4, 1) << QPoint(4, 1) << true << 1;
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
    // Sent to the delegate itself: a view passes on a release only over the
    // pressed cell, and the delegate must not rely on that.
    SchedulerItemDelegate delegate;
    QSignalSpy clicked(&delegate, &SchedulerItemDelegate::buttonClicked);
    auto send = [&](QEvent::Type type, const QPoint &cell, bool inside) {
        QStyleOptionViewItem option;
        option.rect = QRect(cell.x() * 60, cell.y() * 30, 60, 30);
        QMouseEvent event(type, inside ? option.rect.center() : option.rect.bottomRight() + QPoint(1, 1),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        const QModelIndex index = model.index(cell.y(), cell.x());
        QVERIFY(static_cast<QAbstractItemDelegate &>(delegate).editorEvent(&event, &model, option, index));
    };
    send(QEvent::MouseButtonPress, pressCell, true);
    send(QEvent::MouseButtonRelease, releaseCell, releaseInside);

    QCOMPARE(clicked.count(), emitted);
    if (emitted)
        QCOMPARE(clicked.first(), (QVariantList{model.index(pressCell.y(), pressCell.x()),
                                                QVariant::fromValue<const QAbstractItemModel *>(&model)}));
}

// The column headers name the buttons; at their width of 42 a text beside the
// icon could only show as "...".
void TestAddTaskDialog::delegatePaintsButtonIconsAlone()
{
    const SchedulerItemDelegate delegate;
    QStyleOptionViewItem option;
    option.rect = QRect(5, 7, 33, 25);
    const QStringList icons{"deleteicon", "edit_icon", "start_icon"};
    for (int column = SchedulerManager::kColumnDelete; column <= SchedulerManager::kColumnStart; ++column) {
        QImage canvas(60, 40, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QImage expected = canvas;
        const QModelIndex index = m_scheduler->manager.index(0, column);
        delegate.paint(std::make_unique<QPainter>(&canvas).get(), option, index); // painted when the painter goes
        const QPixmap icon(":/assets/" + icons.at(column - SchedulerManager::kColumnDelete));
        QVERIFY(!icon.isNull());
        QPainter(&expected).drawPixmap(QPoint(10, 8), icon);
        QCOMPARE(canvas, expected);
    }
    const QModelIndex index = m_scheduler->manager.index(0, 0);
    for (int column = 0; column < SchedulerManager::kColumnCount; ++column) {
        const int width = delegate.sizeHint(option, index.siblingAtColumn(column)).width();
        QCOMPARE(width == 42, column >= SchedulerManager::kColumnDelete);
    }
}

QTEST_MAIN(TestAddTaskDialog)
#include "tst_addtaskdialog.moc"
