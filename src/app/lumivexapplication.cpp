#include "lumivexapplication.h"

#include "instancechannel.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace {

constexpr char IdleMarker = '0';
constexpr char PendingMarker = '1';

// Copies as much of data as fits into the attached segment.
void writeToSegment(QSharedMemory &memory, const QByteArray &data)
{
    memory.lock();
    const int count = qMin(memory.size(), data.size());
    memcpy(memory.data(), data.constData(), size_t(count));
    memory.unlock();
}

// The toolkit keeps the key files of its segments and semaphores in the
// temporary folder (TMPDIR) and names them once, when the key is set and the
// objects are made; for that while it is pointed at the channel's folder.
class TemporaryFolderOverride
{
public:
    explicit TemporaryFolderOverride(const QString &folder)
        : m_wasSet(qEnvironmentVariableIsSet("TMPDIR")), m_previous(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TemporaryFolderOverride()
    {
        if (m_wasSet)
            qputenv("TMPDIR", m_previous);
        else
            qunsetenv("TMPDIR");
    }
    Q_DISABLE_COPY(TemporaryFolderOverride)

private:
    bool m_wasSet;
    QByteArray m_previous;
};

void refuseChannel(const QString &problem)
{
    qCritical().noquote() << "[LumivexApplication] The single-instance channel is refused:" << problem;
}

} // namespace

LumivexApplication::LumivexApplication(int &argc, char **argv, const QString &key) : QApplication(argc, argv)
{
    setUpSegment(key);
}

// The segment goes before the owner lock: a start that sees the lock free
// must not find the old segment still attached.
LumivexApplication::~LumivexApplication()
{
    m_sharedMemory.detach();
    m_ownerLock.reset();
}

// One instance per user: the user id in the key gives every user a segment
// and an owner lock of their own, also where two users share a folder setting.
QString LumivexApplication::userKey(const QString &key)
{
    return key + QLatin1Char('-') + QString::number(::getuid());
}

void LumivexApplication::setUpSegment(const QString &key)
{
    QString problem;
    const QString folder = InstanceChannel::folder(&problem);
    if (folder.isEmpty()) {
        refuseChannel(problem);
        return;
    }
    const TemporaryFolderOverride channelFolder(folder);
    m_sharedMemory.setKey(userKey(key));
    qDebug().noquote() << "Shared memory Native key:" << m_sharedMemory.nativeKey().toLatin1();
    // Made by another user before us, the segment would carry that user's
    // commands ("-close") and its semaphore could block us for good.
    if (!ownsChannelObjects())
        return;

    // The lock file sits beside the segment's native key, in the channel's
    // private folder, under the same key as the segment itself.
    m_ownerLock = std::make_unique<QLockFile>(m_sharedMemory.nativeKey() + QStringLiteral(".owner"));
    m_ownerLock->setStaleLockTime(0);
    const bool ownerAlive = !m_ownerLock->tryLock(0) && m_ownerLock->error() == QLockFile::LockFailedError;
    if (ownerAlive) {
        // Creating the segment again would reset its semaphore under the
        // owner's feet, so only attach.
        joinRunningInstance();
        return;
    }
    becomeFirstInstance();
}

void LumivexApplication::becomeFirstInstance()
{
    if (!m_sharedMemory.create(SegmentSize, QSharedMemory::ReadWrite)) {
        if (m_sharedMemory.error() != QSharedMemory::AlreadyExists) {
            qDebug().noquote() << "[LumivexApplication] Unable to create shared memory:"
                               << m_sharedMemory.errorString();
            return;
        }
        if (!m_ownerLock->isLocked()) {
            // Without a lock file nothing tells a live owner from a dead one.
            joinRunningInstance();
            return;
        }
        // The segment outlived an instance that crashed or was killed (System V
        // segments are not removed with their last process). We hold the owner
        // lock, so nobody else serves it: take it over.
        if (!attachSegment())
            return;
        qDebug().noquote() << "[LumivexApplication] Taking over shared memory left by an instance that is gone";
    }
    // Another user may have made the objects between the first look and now.
    if (!ownsChannelObjects()) {
        m_sharedMemory.detach();
        return;
    }
    m_running = false;
    m_valid = true;
    // Whatever was pending was meant for the instance that is gone.
    writeIdleMarker();
    m_pollTimer = new QTimer(this);
    connect(m_pollTimer, &QTimer::timeout, this, &LumivexApplication::checkForMessage);
    m_pollTimer->start(PollIntervalMs);
}

void LumivexApplication::joinRunningInstance()
{
    if (!attachWhenCreated())
        return;
    if (!ownsChannelObjects()) {
        m_sharedMemory.detach();
        return;
    }
    m_running = true;
    m_valid = true;
}

bool LumivexApplication::ownsChannelObjects()
{
    QString problem;
    if (InstanceChannel::objectsAreOwn(m_sharedMemory, &problem))
        return true;
    refuseChannel(problem);
    return false;
}

bool LumivexApplication::attachSegment()
{
    if (m_sharedMemory.attach(QSharedMemory::ReadWrite))
        return true;
    qDebug().noquote() << "[LumivexApplication] Unable to attach shared memory:" << m_sharedMemory.errorString();
    return false;
}

// An owner that started a moment ago may hold its lock but not have created
// the segment yet, so a missing segment is looked for again for a short while.
bool LumivexApplication::attachWhenCreated()
{
    QElapsedTimer clock;
    clock.start();
    while (!m_sharedMemory.attach(QSharedMemory::ReadWrite)) {
        if (m_sharedMemory.error() != QSharedMemory::NotFound || clock.elapsed() >= SegmentWaitMs) {
            qDebug().noquote() << "[LumivexApplication] Unable to attach shared memory:"
                               << m_sharedMemory.errorString();
            return false;
        }
        QThread::msleep(SegmentRetryMs);
    }
    return true;
}

void LumivexApplication::writeIdleMarker()
{
    writeToSegment(m_sharedMemory, QByteArray(1, IdleMarker));
}

bool LumivexApplication::sendMessage(const QString &message, int timeoutMs)
{
    if (!m_running)
        return false;

    QByteArray bytes(1, PendingMarker);
    bytes += message.toUtf8();
    bytes += '\0';
    writeToSegment(m_sharedMemory, bytes);

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        m_sharedMemory.lock();
        const char *data = static_cast<const char *>(m_sharedMemory.constData());
        const char marker = data ? data[0] : 0;
        m_sharedMemory.unlock();
        if (!data)
            return false;
        if (marker == IdleMarker)
            return true;
        QThread::msleep(PollIntervalMs);
    }
    return false;
}

QString LumivexApplication::decodeMessage(const QByteArray &segment)
{
    const QByteArray text = segment.mid(1);
    const int end = text.indexOf('\0');
    return QString::fromUtf8(end < 0 ? text : text.left(end));
}

void LumivexApplication::checkForMessage()
{
    m_sharedMemory.lock();
    const QByteArray segment(static_cast<const char *>(m_sharedMemory.constData()), m_sharedMemory.size());
    m_sharedMemory.unlock();

    if (segment.isEmpty() || segment.at(0) == IdleMarker)
        return;

    emit messageAvailable(decodeMessage(segment));
    writeIdleMarker();
}
