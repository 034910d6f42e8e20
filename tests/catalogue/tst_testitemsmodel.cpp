#include "defaultdictionary.h"
#include "testgroup.h"
#include "testitemsmodel.h"
#include "testsmanager.h"
#include "translator.h"

#include <QSignalSpy>
#include <QTest>

// The shipped catalogue: groups 0 to 3 are required, 4 to 7 optional and unticked.
class TestTestItemsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void setData_data();
    void setData();
    void rowsShowGroups();
    void noGroupsNoRows();
};

void TestTestItemsModel::initTestCase()
{
    TR::Translator::instance()->setModel(TR::defaultDictionary());
}

void TestTestItemsModel::setData_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("expectedSelected");
    QTest::addColumn<int>("expectedChanges");

    QTest::newRow("ticking an optional group selects it")
        << 4 << int(Qt::CheckStateRole) << QVariant(Qt::Checked) << true << 1;
    QTest::newRow("partly checked is not ticked")
        << 4 << int(Qt::CheckStateRole) << QVariant(Qt::PartiallyChecked) << false << 1;
    QTest::newRow("unticking a required group leaves it ticked")
        << 0 << int(Qt::CheckStateRole) << QVariant(Qt::Unchecked) << true << 1;
    QTest::newRow("other role ignored") << 4 << int(Qt::EditRole) << QVariant(Qt::Checked) << false << 0;
    QTest::newRow("row past the groups ignored") << 8 << int(Qt::CheckStateRole) << QVariant(Qt::Checked) << false << 0;
}

void TestTestItemsModel::setData()
{
    QFETCH(int, row);
    QFETCH(int, role);
    QFETCH(QVariant, value);
    QFETCH(bool, expectedSelected);
    QFETCH(int, expectedChanges);

    TestsManager catalogue;
    TestItemsModel model(nullptr, catalogue.groups());
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    const QModelIndex index = model.index(row, 0);

    QVERIFY(model.setData(index, value, role));
    QCOMPARE(changes.size(), expectedChanges);
    const TestGroup *group = catalogue.groups()->value(row);
    QCOMPARE(group && group->selected(), expectedSelected);
    QCOMPARE(model.data(index, Qt::CheckStateRole),
             group ? QVariant(expectedSelected ? Qt::Checked : Qt::Unchecked) : QVariant());
}

void TestTestItemsModel::rowsShowGroups()
{
    TestsManager catalogue;
    const TestItemsModel model(nullptr, catalogue.groups());
    const TR::Translator &translator = *TR::Translator::instance();

    QCOMPARE(model.rowCount(), 8);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), translator.translate("listTests"));
    for (int row = 0; row < 8; ++row) {
        const bool required = row < 4;
        const QModelIndex index = model.index(row, 0);
        QCOMPARE(model.headerData(row, Qt::Vertical).toString(), QString::number(row));
        QCOMPARE(model.data(index).toString(), translator.translate(QStringLiteral("title_group_0%1").arg(row)));
        QCOMPARE(model.data(index, Qt::CheckStateRole), QVariant(required ? Qt::Checked : Qt::Unchecked));
        QCOMPARE(model.data(index, Qt::ToolTipRole), QVariant());
        QCOMPARE(model.flags(index),
                 required ? Qt::ItemFlags() : Qt::ItemFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
    }
}

void TestTestItemsModel::noGroupsNoRows()
{
    const TestItemsModel model(nullptr, nullptr);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.data(model.index(0, 0)), QVariant());
}

QTEST_GUILESS_MAIN(TestTestItemsModel)
#include "tst_testitemsmodel.moc"
