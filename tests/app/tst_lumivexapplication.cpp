#include "lumivexapplication.h"

#include <QSharedMemory>
#include <QSignalSpy>
#include <QTest>

// Runs inside a LumivexApplication of its own (see main below), under a key no
// other test uses, and plays the part of a later instance with a raw segment.
class TestLumivexApplication : public QObject
{
    Q_OBJECT

public:
    explicit TestLumivexApplication(const QString &key) : m_key(key) {}

private slots:
    void init();
    void cleanup();
    void receivesPendingMessage_data();
    void receivesPendingMessage();

private:
    void writeRaw(const QByteArray &bytes);
    char marker();
    LumivexApplication *app() const { return static_cast<LumivexApplication *>(qApp); }

    QString m_key;
    QSharedMemory m_sender;
};

// Each user has a segment of their own: the plain key finds none.
void TestLumivexApplication::init()
{
    QSharedMemory shared(m_key);
    QVERIFY(!shared.attach());
    m_sender.setKey(LumivexApplication::userKey(m_key));
    QVERIFY2(m_sender.attach(), qPrintable(m_sender.errorString()));
}

void TestLumivexApplication::cleanup()
{
    m_sender.detach();
}

void TestLumivexApplication::writeRaw(const QByteArray &bytes)
{
    m_sender.lock();
    memcpy(m_sender.data(), bytes.constData(), size_t(qMin(bytes.size(), m_sender.size())));
    m_sender.unlock();
}

char TestLumivexApplication::marker()
{
    m_sender.lock();
    const char value = static_cast<const char *>(m_sender.constData())[0];
    m_sender.unlock();
    return value;
}

void TestLumivexApplication::receivesPendingMessage_data()
{
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("received");

    QTest::newRow("command line") << QByteArray("1/usr/bin/lumivex#_#-show\0", 26)
                                  << QStringLiteral("/usr/bin/lumivex#_#-show");
    QTest::newRow("only the marker") << QByteArray("1\0", 2) << QString();
    QTest::newRow("any first byte but 0 is pending") << QByteArray("x-hide\0", 7) << QStringLiteral("-hide");
    QTest::newRow("invalid UTF-8 decodes as far as it goes") << QByteArray("1ab\xff\xfe"
                                                                           "cd\0",
                                                                           8)
                                                             << QStringLiteral("ab\uFFFD\uFFFDcd");

    const QByteArray longText(2 * LumivexApplication::SegmentSize, 'a');
    QTest::newRow("longer than the segment is cut at its end")
        << QByteArray("1" + longText) << QString(LumivexApplication::SegmentSize - 1, QLatin1Char('a'));
}

void TestLumivexApplication::receivesPendingMessage()
{
    QFETCH(QByteArray, written);
    QFETCH(QString, received);

    QSignalSpy spy(app(), &LumivexApplication::messageAvailable);
    writeRaw(written);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), received);
    QCOMPARE(marker(), '0');
    // The old text stays behind the idle marker and is not read twice.
    app()->checkForMessage();
    QCOMPARE(spy.count(), 1);
}

int main(int argc, char *argv[])
{
    const QString key = QStringLiteral("LumivexUnitTest-%1").arg(QCoreApplication::applicationPid());
    LumivexApplication app(argc, argv, key);
    TestLumivexApplication test(key);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lumivexapplication.moc"
