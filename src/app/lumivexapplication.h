#pragma once

#include <QApplication>
#include <QLockFile>
#include <QSharedMemory>

#include <memory>

class QTimer;

// The application object of a single-instance program. The first instance owns
// a small shared-memory segment and polls it; a later instance writes its
// command line into the segment and waits until the first one has taken it.
//
// Segment layout: byte 0 is "0" (idle) or anything else (a message is pending);
// a pending message follows as UTF-8 text ended by one NUL byte.
class LumivexApplication : public QApplication
{
    Q_OBJECT

public:
    // Bytes the first instance asks for, so that a forwarded command line fits.
    static constexpr int SegmentSize = 4096;
    static constexpr int PollIntervalMs = 100;
    // How long a later start waits for an owner that has not created the segment yet.
    static constexpr int SegmentWaitMs = 2000;
    static constexpr int SegmentRetryMs = 20;

    LumivexApplication(int &argc, char **argv, const QString &key);
    ~LumivexApplication() override;

    bool isValid() const { return m_valid; }
    bool isRunning() const { return m_running; }

    bool sendMessage(const QString &message, int timeoutMs);

    // The text of a raw segment: everything after the marker byte up to the
    // first NUL or the end of the data, decoded as far as it is valid UTF-8.
    static QString decodeMessage(const QByteArray &segment);
    static QString userKey(const QString &key);

public slots:
    void checkForMessage();

signals:
    void messageAvailable(const QString &message);

private:
    void setUpSegment(const QString &key);
    void becomeFirstInstance();
    void joinRunningInstance();
    bool ownsChannelObjects();
    bool attachSegment();
    bool attachWhenCreated();
    void writeIdleMarker();

    bool m_running = false;
    bool m_valid = false;
    QSharedMemory m_sharedMemory;
    QTimer *m_pollTimer = nullptr;
    // Held by the first instance for its whole life. The operating system
    // releases it when the process dies, so a segment whose owner crashed can
    // be told from a live one.
    std::unique_ptr<QLockFile> m_ownerLock;
};
