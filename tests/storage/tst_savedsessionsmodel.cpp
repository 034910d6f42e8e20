#include "configurationmanager.h"
#include "savedsessionsitemdelegate.h"
#include "savedsessionsmodel.h"
#include "storetestutils.h"
#include "translator.h"

#include <QPainter>
#include <QTableView>
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

QImage asset(const char *name)
{
    return QImage(QStringLiteral(":/assets/") + QString::fromLatin1(name));
}

} // namespace

class TestSavedSessionsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void shape();
    void data_data();
    void data();
    void statusImage_data();
    void statusImage();
    void headers();
    void recordAtOutsideRows();
    void handEditedRecordsShowDefaults();
    void addSessionResetsModel();
    void removeSessionAtRow();
    void removeSessionOutsideRowsDoesNothing();

    void paintCentresImage_data();
    void paintCentresImage();
    void sizeHintOfActionColumns();
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
}

void TestSavedSessionsModel::init()
{
    m_model.reset();
    m_store.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    storeSessions({sessionRecord("Ada", QDateTime(QDate(2024, 3, 5), QTime(14, 7)), 0),
                   sessionRecord("Bob", QDateTime(QDate(2024, 3, 4), QTime(9, 30)), 3)});
}

void TestSavedSessionsModel::storeSessions(const QVariantList &records)
{
    m_model.reset();
    m_store.reset();
    const QString path = m_dir->filePath(settingsFileName());
    QFile::remove(path);
    writeSettings(path, {{"TEST_SESSIONS/list", records}});
    m_store = std::make_unique<ConfigurationManager>(path);
    m_model = std::make_unique<SavedSessionsModel>(m_store.get());
}

void TestSavedSessionsModel::shape()
{
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->columnCount(), 7);
    QCOMPARE(m_model->rowCount(m_model->index(0, 0)), 0);
    for (int column = 0; column < 7; ++column)
        QCOMPARE(m_model->flags(m_model->index(1, column)), Qt::ItemFlags(Qt::ItemIsEnabled));
    QVERIFY(!m_model->index(0, 7).isValid());
}

void TestSavedSessionsModel::data_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    const QVariant none;
    const QVariant centred = int(Qt::AlignCenter);
    QTest::newRow("tester") << 0 << int(Qt::DisplayRole) << QVariant("Ada");
    QTest::newRow("tester alignment") << 0 << int(Qt::TextAlignmentRole) << none;
    QTest::newRow("date, 24-hour clock") << 1 << int(Qt::DisplayRole) << QVariant("05/03/2024 - 14:07");
    QTest::newRow("date alignment") << 1 << int(Qt::TextAlignmentRole) << centred;
    QTest::newRow("test count") << 2 << int(Qt::DisplayRole) << QVariant(4);
    QTest::newRow("test count alignment") << 2 << int(Qt::TextAlignmentRole) << centred;
    QTest::newRow("monitor") << 3 << int(Qt::DisplayRole)
                             << QVariant(translated("monitor") + " 1 Test monitor 1920x1080");
    QTest::newRow("monitor alignment") << 3 << int(Qt::TextAlignmentRole) << none;
    QTest::newRow("status has no text") << 4 << int(Qt::DisplayRole) << none;
    QTest::newRow("report text") << 5 << int(Qt::DisplayRole) << QVariant(translated("report"));
    QTest::newRow("delete text") << 6 << int(Qt::DisplayRole) << QVariant(translated("delete"));
    QTest::newRow("tester has no image") << 0 << int(Qt::DecorationRole) << none;
    QTest::newRow("other roles") << 0 << int(Qt::ToolTipRole) << none;
}

void TestSavedSessionsModel::data()
{
    QFETCH(int, column);
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    QCOMPARE(m_model->data(m_model->index(0, column), role), expected);
}

void TestSavedSessionsModel::statusImage_data()
{
    QTest::addColumn<QVariant>("failed");
    QTest::addColumn<QString>("image");
    QTest::newRow("none failed") << QVariant(0u) << "checkicon";
    QTest::newRow("three failed") << QVariant(3u) << "xicon";
    QTest::newRow("one failed") << QVariant(1u) << "xicon";
    QTest::newRow("negative count") << QVariant(-2) << "checkicon";
}

void TestSavedSessionsModel::statusImage()
{
    QFETCH(QVariant, failed);
    QFETCH(QString, image);
    QVariantMap record = sessionRecord("Ada", QDateTime(QDate(2024, 3, 5), QTime(14, 7)));
    record.insert("nfailedtestcontents", failed);
    storeSessions({record});

    const QVariant decoration = m_model->data(m_model->index(0, 4), Qt::DecorationRole);
    QCOMPARE(decoration.type(), QVariant::Image);
    QCOMPARE(decoration.value<QImage>(), asset(qPrintable(image)));
    QCOMPARE(m_model->data(m_model->index(0, 5), Qt::DecorationRole).value<QImage>(), asset("reporticon"));
    QCOMPARE(m_model->data(m_model->index(0, 6), Qt::DecorationRole).value<QImage>(), asset("deleteicon"));
    QVERIFY(!asset("checkicon").isNull() && asset("checkicon") != asset("xicon"));
}

void TestSavedSessionsModel::headers()
{
    const char *const keys[] = {"tester", "date", "ntest", "monitorTested", "status"};
    for (int section = 0; section < 5; ++section)
        QCOMPARE(m_model->headerData(section, Qt::Horizontal), QVariant(translated(keys[section])));
    QCOMPARE(m_model->headerData(5, Qt::Horizontal), QVariant(QString()));
    QCOMPARE(m_model->headerData(6, Qt::Horizontal), QVariant(QString()));
    QCOMPARE(m_model->headerData(7, Qt::Horizontal), QVariant());
    QCOMPARE(m_model->headerData(0, Qt::Vertical), QVariant());
    QCOMPARE(m_model->headerData(0, Qt::Horizontal, Qt::DecorationRole), QVariant());
}

void TestSavedSessionsModel::recordAtOutsideRows()
{
    QCOMPARE(m_model->recordAt(0).value("tester"), QVariant("Ada"));
    QCOMPARE(m_model->recordAt(1).value("tester"), QVariant("Bob"));
    QVERIFY(m_model->recordAt(-1).isEmpty());
    QVERIFY(m_model->recordAt(2).isEmpty());
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

void TestSavedSessionsModel::addSessionResetsModel()
{
    QSignalSpy aboutToReset(m_model.get(), &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->addSession({{"1", QVariantMap()}}, "Cleo", 2, 1, 0, "Laptop panel");

    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m_model->rowCount(), 3);
    QCOMPARE(m_model->data(m_model->index(0, 0)), QVariant("Cleo"));
    QCOMPARE(m_store->sessions().size(), 3);
}

void TestSavedSessionsModel::removeSessionAtRow()
{
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->removeSession(1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m_model->rowCount(), 1);
    QCOMPARE(m_model->recordAt(0).value("tester"), QVariant("Ada"));
    QCOMPARE(m_store->sessions().size(), 1);
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

void TestSavedSessionsModel::sizeHintOfActionColumns()
{
    SavedSessionsItemDelegate delegate;
    QStyleOptionViewItem option;
    for (int column = 0; column < 7; ++column) {
        const QModelIndex index = m_model->index(0, column);
        const QSize base = static_cast<QItemDelegate &>(delegate).QItemDelegate::sizeHint(option, index);
        const QSize hint = delegate.sizeHint(option, index);
        QCOMPARE(hint.height(), base.height());
        QCOMPARE(hint.width(), column >= 5 ? 42 : base.width());
    }
}

void TestSavedSessionsModel::clicks_data()
{
    QTest::addColumn<QPoint>("pressCell");
    QTest::addColumn<QPoint>("releaseCell");
    QTest::addColumn<int>("emitted");
    // Cells as (column, row).
    QTest::newRow("click on delete") << QPoint(6, 1) << QPoint(6, 1) << 1;
    QTest::newRow("click on report") << QPoint(5, 0) << QPoint(5, 0) << 1;
    QTest::newRow("release on another cell") << QPoint(6, 1) << QPoint(3, 1) << 0;
    QTest::newRow("release on another row's delete") << QPoint(6, 0) << QPoint(6, 1) << 0;
    for (int column = 0; column < 5; ++column)
        QTest::newRow(qPrintable(QString("click on column %1").arg(column)))
            << QPoint(column, 0) << QPoint(column, 0) << 0;
}

void TestSavedSessionsModel::clicks()
{
    QFETCH(QPoint, pressCell);
    QFETCH(QPoint, releaseCell);
    QFETCH(int, emitted);

    QTableView view;
    SavedSessionsItemDelegate delegate;
    view.setModel(m_model.get());
    view.setItemDelegate(&delegate);
    view.resize(800, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy clicked(&delegate, &SavedSessionsItemDelegate::buttonClicked);

    auto centreOf = [&view, this](const QPoint &cell) {
        return view.visualRect(m_model->index(cell.y(), cell.x())).center();
    };
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, centreOf(pressCell));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, centreOf(releaseCell));

    QCOMPARE(clicked.count(), emitted);
    if (emitted) {
        const QModelIndex index = clicked.first().at(0).value<QModelIndex>();
        QCOMPARE(index, m_model->index(pressCell.y(), pressCell.x()));
        QCOMPARE(clicked.first().at(1).value<const QAbstractItemModel *>(), m_model.get());
    }
}

QTEST_MAIN(TestSavedSessionsModel)
#include "tst_savedsessionsmodel.moc"
