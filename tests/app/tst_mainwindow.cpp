#include "mainwindow.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>

// What the options of a forwarded command line do to the window.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void receiveMessage_data();
    void receiveMessage();
    void closeMessageQuits();
    void trayMenuFollowsWindow();
};

void TestMainWindow::receiveMessage_data()
{
    QTest::addColumn<bool>("startVisible");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("visible");

    QTest::newRow("empty message shows") << false << QString() << true;
    QTest::newRow("only separators shows") << false << QStringLiteral("#_##_#") << true;
    QTest::newRow("program path alone changes nothing (hidden)") << false << QStringLiteral("/opt/lumivex") << false;
    QTest::newRow("program path alone changes nothing (shown)") << true << QStringLiteral("/opt/lumivex") << true;
    QTest::newRow("-show") << false << QStringLiteral("/opt/lumivex#_#-show") << true;
    QTest::newRow("-SHOW in capitals") << false << QStringLiteral("/opt/lumivex#_#-SHOW") << true;
    QTest::newRow("-hide") << true << QStringLiteral("/opt/lumivex#_#-hide") << false;
    QTest::newRow("-Hide mixed case") << true << QStringLiteral("/opt/lumivex#_#-Hide") << false;
    QTest::newRow("empty parts are dropped") << true << QStringLiteral("/opt/lumivex#_##_#-hide#_#") << false;
    QTest::newRow("-hide and -show ends shown") << true << QStringLiteral("x#_#-show#_#-hide") << true;
    QTest::newRow("an option must be a whole argument") << true << QStringLiteral("x#_#a-hide") << true;
}

void TestMainWindow::receiveMessage()
{
    QFETCH(bool, startVisible);
    QFETCH(QString, message);
    QFETCH(bool, visible);

    MainWindow window;
    window.setVisible(startVisible);
    window.receiveMessage(message);
    QCOMPARE(window.isVisible(), visible);
}

void TestMainWindow::closeMessageQuits()
{
    MainWindow window;
    window.show();
    // exit() only takes effect inside a running loop, so run one for the message.
    QTimer::singleShot(0, &window, [&window] { window.receiveMessage(QStringLiteral("x#_#-show#_#-CLOSE")); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window.isVisible());
}

void TestMainWindow::trayMenuFollowsWindow()
{
    MainWindow window;
    window.show();
    const QList<QAction *> actions = window.findChildren<QAction *>();
    QVERIFY(!actions.isEmpty());
    auto *menu = qobject_cast<QMenu *>(actions.first()->associatedWidgets().value(0));
    QVERIFY(menu);

    const auto menuTexts = [menu] {
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
        return texts;
    };
    QCOMPARE(menuTexts(), QStringList({"About", "|", "Minimize", "|", "Exit"}));

    window.minimizeWindow();
    QVERIFY(window.isHidden());
    QCOMPARE(menuTexts(), QStringList({"About", "|", "Restore", "|", "Exit"}));
    // The key travels with the text, so a change of language keeps "Restore".
    QCOMPARE(menu->actions().at(2)->property("defaultText").toString(), QStringLiteral("restore"));

    window.showWindow();
    QCOMPARE(menuTexts(), QStringList({"About", "|", "Minimize", "|", "Exit"}));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
