#include "configurationmanager.h"
#include "savedsessionsitemdelegate.h"
#include "savedsessionsmodel.h"
#include "storetestutils.h"
#include "translator.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace StoreTestUtils;

Q_DECLARE_METATYPE(const QAbstractItemModel *)

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QString::fromLatin1(key));
}

QImage asset(const QString &name)
{
    return QImage(QStringLiteral(":/assets/") + name);
}

} // namespace

class TestSavedSessionsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void cells_data();
    void cells();
    void handEditedRecordsShowDefaults();
    void addAndRemoveInsideResets();
    void removeSessionOutsideRowsDoesNothing();

    void paintCentresImage_data();
    void paintCentresImage();
    void clicks_data();
    void clicks();

private:
    void storeSessions(const QVariantList &records);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ConfigurationManager> m_store;
    std::unique_ptr<SavedSessionsModel> m_model;
};

void TestSavedSessionsModel::initTestCase()
{
    qRegisterMetaType<const QAbstractItemModel *>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(!asset("checkicon").isNull() && asset("checkicon") != asset("xicon"));
}

void TestSavedSessionsModel::init()
{
    storeSessions({sessionRecord("Ada", QDateTime(QDate(2024, 3, 5), QTime(14, 7))),
                   sessionRecord("Bob", QDateTime(QDate(2024, 3, 4), QTime(9, 30)), 3)});
}

void TestSavedSessionsModel::storeSessions(const QVariantList &records)
{
    m_model.reset();
    m_store.reset();
    const QString path = m_dir->filePath(SettingsFileName);
    QFile::remove(path);
    writeSettings(path, {{SessionList, records}});
    m_store = std::make_unique<ConfigurationManager>(path);
    m_model = std::make_unique<SavedSessionsModel>(m_store.get());
}

void TestSavedSessionsModel::cells_data()
{
    QTest::addColumn<QVariant>("failed");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    const int text = Qt::DisplayRole;
    const int image = Qt::DecorationRole;
    const QVariant none = 0u;
    QTest::newRow("tester") << none << 0 << text << QVariant("Ada");
    QTest::newRow("date, 24-hour clock") << none << 1 << text << QVariant("05/03/2024 - 14:07");
    QTest::newRow("test count") << none << 2 << text << QVariant(4);
    QTest::newRow("monitor") << none << 3 << text << QVariant(translated("monitor") + " 1 Test monitor 1920x1080");
    QTest::newRow("none failed") << none << 4 << image << QVariant(asset("checkicon"));
    QTest::newRow("one failed") << QVariant(1u) << 4 << image << QVariant(asset("xicon"));
    QTest::newRow("negative failed count") << QVariant(-2) << 4 << image << QVariant(asset("checkicon"));
    QTest::newRow("report image") << none << 5 << image << QVariant(asset("reporticon"));
    QTest::newRow("delete image") << none << 6 << image << QVariant(asset("deleteicon"));
}

void TestSavedSessionsModel::cells()
{
    QFETCH(QVariant, failed);
    QFETCH(int, column);
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    QVariantMap record = sessionRecord("Ada", QDateTime(QDate(2024, 3, 5), QTime(14, 7)));
    record.insert("nfailedtestcontents", failed);
    storeSessions({record});
    QCOMPARE(m_model->data(m_model->index(0, column), role), expected);
}

void TestSavedSessionsModel::handEditedRecordsShowDefaults()
{
    QVariantMap wrongTypes{{"tester", QVariantList{1, 2}}, {"date", "not a date"}, {"ntest", "many"},
                           {"monitorselected", "x"},       {"monitorinfo", 5},     {"nfailedtestcontents", "?"},
                           {"test_session", "not a map"}};
    storeSessions({QVariantMap(), wrongTypes, QString("not a record")});
    QCOMPARE(m_model->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(m_model->data(m_model->index(row, 1)), QVariant(QString()));
        QCOMPARE(m_model->data(m_model->index(row, 2)), QVariant(0));
        QCOMPARE(m_model->data(m_model->index(row, 4), Qt::DecorationRole).value<QImage>(), asset("checkicon"));
        QVERIFY(m_model->data(m_model->index(row, 3)).toString().startsWith(translated("monitor") + " 0 "));
    }
}

void TestSavedSessionsModel::addAndRemoveInsideResets()
{
    QSignalSpy aboutToReset(m_model.get(), &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->addSession({{"1", QVariantMap()}}, "Cleo", 2, 1, 0, "Laptop panel");
    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m_model->rowCount(), 3);
    QCOMPARE(m_model->data(m_model->index(0, 0)), QVariant("Cleo"));

    m_model->removeSession(1);
    QCOMPARE(aboutToReset.count(), 2);
    QCOMPARE(reset.count(), 2);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->recordAt(1).value("tester"), QVariant("Bob"));
    QCOMPARE(m_store->sessions(), QVariantList({m_model->recordAt(0), m_model->recordAt(1)}));
}

// A record without a date must not be picked by a request for a row that does
// not exist, which carries no date either.
void TestSavedSessionsModel::removeSessionOutsideRowsDoesNothing()
{
    storeSessions({QVariantMap{{"tester", "no date"}}, sessionRecord("Ada", QDateTime::currentDateTime())});
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->removeSession(-1);
    m_model->removeSession(2);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(m_store->sessions().size(), 2);
    QVERIFY(m_model->recordAt(-1).isEmpty() && m_model->recordAt(2).isEmpty());
}

void TestSavedSessionsModel::paintCentresImage_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QRect>("cell");
    QTest::addColumn<QPoint>("imageTopLeft");
    // Centre ((left + right) / 2, (top + bottom) / 2) of the cell; a 24 pixel
    // image centred there starts 11 pixels up and to the left of it.
    QTest::newRow("status") << 4 << QRect(10, 20, 42, 30) << QPoint(19, 23);
    QTest::newRow("report") << 5 << QRect(0, 0, 42, 42) << QPoint(9, 9);
    QTest::newRow("delete, odd size") << 6 << QRect(5, 7, 33, 25) << QPoint(10, 8);
}

void TestSavedSessionsModel::paintCentresImage()
{
    QFETCH(int, column);
    QFETCH(QRect, cell);
    QFETCH(QPoint, imageTopLeft);

    QImage canvas(80, 80, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    SavedSessionsItemDelegate delegate;
    QStyleOptionViewItem option;
    option.rect = cell;
    option.state |= QStyle::State_Selected | QStyle::State_HasFocus;
    {
        QPainter painter(&canvas);
        delegate.paint(&painter, option, m_model->index(1, column));
    }

    const QImage image = m_model->data(m_model->index(1, column), Qt::DecorationRole).value<QImage>();
    QCOMPARE(image.size(), QSize(24, 24));
    QImage expected(canvas.size(), canvas.format());
    expected.fill(Qt::transparent);
    QPainter(&expected).drawImage(imageTopLeft, image);
    QCOMPARE(canvas, expected);
}

void TestSavedSessionsModel::clicks_data()
{
    QTest::addColumn<QPoint>("pressCell");
    QTest::addColumn<QPoint>("releaseCell");
    QTest::addColumn<int>("emitted");
    // Cells as (column, row).
    QTest::newRow("click on delete") << QPoint(6, 1) << QPoint(6, 1) << 1;
    QTest::newRow("click on report") << QPoint(5, 0) << QPoint(5, 0) << 1;
    QTest::newRow("click on status") << QPoint(4, 0) << QPoint(4, 0) << 0;
    QTest::newRow("click on tester") << QPoint(0, 0) << QPoint(0, 0) << 0;
    QTest::newRow("release on another cell") << QPoint(6, 1) << QPoint(3, 1) << 0;
    QTest::newRow("release on another row's delete") << QPoint(6, 0) << QPoint(6, 1) << 0;
}

void TestSavedSessionsModel::clicks()
{
    QFETCH(QPoint, pressCell);
    QFETCH(QPoint, releaseCell);
    QFETCH(int, emitted);

    // Sent to the delegate itself: a view passes on a release only over the
    // pressed cell, and the delegate must not rely on that.
    SavedSessionsItemDelegate delegate;
    QSignalSpy clicked(&delegate, &SavedSessionsItemDelegate::buttonClicked);
    auto send = [&delegate, this](QEvent::Type type, const QPoint &cell) {
        QStyleOptionViewItem option;
        option.rect = QRect(cell.x() * 60, cell.y() * 30, 60, 30);
        QMouseEvent event(type, option.rect.center(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        static_cast<QAbstractItemDelegate &>(delegate).editorEvent(&event, m_model.get(), option,
                                                                   m_model->index(cell.y(), cell.x()));
    };
    send(QEvent::MouseButtonPress, pressCell);
    send(QEvent::MouseButtonRelease, releaseCell);

    QCOMPARE(clicked.count(), emitted);
    if (emitted) {
        QCOMPARE(clicked.first().at(0).value<QModelIndex>(), m_model->index(pressCell.y(), pressCell.x()));
        QCOMPARE(clicked.first().at(1).value<const QAbstractItemModel *>(), m_model.get());
    }
}

QTEST_MAIN(TestSavedSessionsModel)
#include "tst_savedsessionsmodel.moc"
