#include "instancechannel.h"
#include "lumivexapplication.h"
#include "support/patience.h"

#include <QSharedMemory>
#include <QSignalSpy>
#include <QTest>

// A key no other test uses.
const QString Key = QStringLiteral("LumivexUnitTest-%1").arg(QCoreApplication::applicationPid());

// Runs inside a LumivexApplication of its own (see main below) and plays the
// part of a later instance with a raw segment.
class TestLumivexApplication : public QObject
{
    Q_OBJECT

private slots:
    // The sender finds the segment in the channel's folder, where the toolkit looks for key files in TMPDIR.
    void initTestCase()
    {
        QString problem;
        const QString folder = InstanceChannel::folder(&problem);
        QVERIFY2(!folder.isEmpty(), qPrintable(problem));
        qputenv("TMPDIR", QFile::encodeName(folder));
    }

    void receivesPendingMessage_data()
    {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("received");
        const QByteArray longText(2 * LumivexApplication::SegmentSize, 'a');
        QTest::newRow("command line") << QByteArray("1/usr/bin/lumivex#_#-show\0", 26) << "/usr/bin/lumivex#_#-show";
        QTest::newRow("only the marker") << QByteArray("1\0", 2) << QString();
        QTest::newRow("any first byte but 0 is pending") << QByteArray("x-hide\0", 7) << "-hide";
        QTest::newRow("invalid UTF-8") << QByteArray("1ab\xff\xfezz\0", 8) << "ab\uFFFD\uFFFDzz";
        QTest::newRow("longer than the segment") << "1" + longText << QString(LumivexApplication::SegmentSize - 1, 'a');
    }

    void receivesPendingMessage()
    {
        QFETCH(QByteArray, written);
        QFETCH(QString, received);
        // Each user has a segment of their own: the plain key finds none.
        QVERIFY(!QSharedMemory(Key).attach());
        QSharedMemory sender(LumivexApplication::userKey(Key));
        QVERIFY(sender.attach());
        QSignalSpy spy(qApp, SIGNAL(messageAvailable(QString)));
        sender.lock();
        memcpy(sender.data(), written.constData(), size_t(qMin(written.size(), sender.size())));
        sender.unlock();
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, Patience);
        QCOMPARE(spy.at(0).at(0).toString(), received);
        QCOMPARE(*static_cast<const char *>(sender.constData()), '0');
        // The old text stays behind the idle marker and is not read twice.
        static_cast<LumivexApplication *>(qApp)->checkForMessage();
        QCOMPARE(spy.count(), 1);
    }
};

int main(int argc, char *argv[])
{
    LumivexApplication app(argc, argv, Key);
    TestLumivexApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lumivexapplication.moc"
