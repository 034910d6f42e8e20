#include "defaultdictionary.h"
#include "testgroup.h"
#include "testitemsmodel.h"
#include "testsmanager.h"
#include "translator.h"

#include <QtTest>

// On the shipped catalogue: groups 0 to 3 are required, 4 to 7 optional and unticked.
class TestTestItemsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TR::Translator::instance()->setModel(TR::defaultDictionary()); }

    void setData_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticking an optional group") << 4 << int(Qt::CheckStateRole) << int(Qt::Checked) << true;
        QTest::newRow("partly checked is not ticked")
            << 4 << int(Qt::CheckStateRole) << int(Qt::PartiallyChecked) << false;
        QTest::newRow("unticking a required group") << 0 << int(Qt::CheckStateRole) << int(Qt::Unchecked) << true;
        QTest::newRow("other role ignored") << 4 << int(Qt::EditRole) << int(Qt::Checked) << false;
    }

    void setData()
    {
        QFETCH(int, row);
        QFETCH(int, role);
        QFETCH(int, state);
        QFETCH(bool, ticked);
        TestsManager catalogue;
        TestItemsModel model(nullptr, catalogue.groups());
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(model.index(row), state, role));
        QCOMPARE(changes.size(), role == Qt::CheckStateRole ? 1 : 0);
        QCOMPARE(model.index(row).data(Qt::CheckStateRole), QVariant(ticked ? Qt::Checked : Qt::Unchecked));
    }

    void rowsShowGroups()
    {
        TestsManager catalogue;
        const TestItemsModel model(nullptr, catalogue.groups());
        const TR::Translator &translator = *TR::Translator::instance();
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), translator.translate("listTests"));
        QCOMPARE(model.rowCount(), 8);
        for (int row = 0; row < 8; ++row) {
            const QModelIndex index = model.index(row);
            QCOMPARE(model.headerData(row, Qt::Vertical).toString(), QString::number(row));
            QCOMPARE(index.data().toString(), translator.translate(catalogue.groups()->at(row)->title()));
            QCOMPARE(model.flags(index), row < 4 ? Qt::ItemFlags() : Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        }
        QCOMPARE(TestItemsModel(nullptr, nullptr).rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTestItemsModel)
#include "tst_testitemsmodel.moc"
