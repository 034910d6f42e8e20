#pragma once

#include "sessionlistrow.h"

#include <QObject>
#include <QVector>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;
class SessionDatabase;
class UnsavedSessions;

// The one reader and writer of the program's stored data: the chosen language
// in the settings file, the testing sessions and scheduled tasks in the
// database "Lumivex.sqlite" beside it. Sessions and tasks that an earlier
// version kept in the settings file move into the database at the first start.
// Every write reports failure to its caller and through writeFailed().
class ConfigurationManager : public QObject
{
    Q_OBJECT

public:
    enum Write
    {
        SessionWrite,
        SessionDeletion,
        TaskWrite,
        TaskDeletion,
        LanguageWrite,
        DisplayWrite
    };
    Q_ENUM(Write)

    // What the start found, for the window to tell the operator.
    struct StartReport
    {
        QString unavailable;  // why the database cannot be used at all
        QString damagedCopy;  // where a damaged database was copied
        // What was read of it into the fresh database that took its place.
        int recoveredSessions = 0;
        int recoveredTasks = 0;
        int unrecoveredRows = 0;
        QString importFailed; // why the sessions of the settings file were not imported
        QString importBackup; // the settings file as it was before an import
        int skippedRecords = 0;
    };

    static ConfigurationManager *instance();

    // The application uses instance(), which works on "Lumivex 2016.ini" in
    // the working folder; tests and tools may open a store on any file. The
    // database lies beside the settings file.
    explicit ConfigurationManager(const QString &fileName, QObject *parent = nullptr);
    ~ConfigurationManager() override;

    QString fileName() const;
    QString databaseFileName() const;
    SessionDatabase *database() const;
    const StartReport &startReport() const;

    QString localeSelected() const;
    bool setLocaleSelected(const QString &code);

    // Newest first, each with the fields of the list and the session's
    // database "id", but not the results: sessionRecord() reads those.
    QVariantList sessions(bool withWithdrawn = true) const;
    // The same as compact rows, for the list of years of sessions: `count`
    // rows that follow the row `after`, or from the newest on without one.
    QVector<SessionListRow> sessionRows(bool withWithdrawn, const SessionListRow *after, int count) const;
    int sessionCount(bool withWithdrawn) const;
    QVariantMap sessionRecord(const QVariantMap &summary) const;
    QVariantMap latestSessionResults() const;
    // The results of the newest session of the display with that key; empty
    // for a display without sessions, and for no key.
    QVariantMap latestSessionResults(const QString &displayKey) const;
    static QVariantMap newSessionRecord(const QVariantMap &results, const QString &tester, uint ntest,
                                        uint failedContents, int monitorSelected, const QString &monitorInfo,
                                        const QVariantMap &details = {});
    // The details (test type, display, judgement) are further keys of the record.
    bool addSession(const QVariantMap &results, const QString &tester, uint ntest, uint failedContents,
                    int monitorSelected, const QString &monitorInfo, const QVariantMap &details = {});
    // A session the database cannot store is kept in the file of unsaved
    // sessions and stored by the next save that succeeds, or the next start.
    bool addSessionRecord(const QVariantMap &record);
    // Newest first.
    QVariantList unsavedSessions() const;
    QString unsavedFileName() const;
    bool exportUnsaved(const QString &path) const;
    // Withdraws the session with the summary's "id": it stays stored, in
    // exports and in the site database, marked with who withdrew it, when
    // and why; the list hides it. A reason is required.
    bool withdrawSession(const QVariantMap &summary, const QString &by, const QString &reason);

    // See SessionDatabase.
    bool classifyDisplay(const QVariantMap &identity, const QString &category, const QString &roomClass);
    bool makeReference(const QString &displayKey, qint64 sessionId, const QVariantMap &choice = {});
    bool setWorkstation(const QString &displayKey, const QString &workstation);

    QVariantList tasks() const;
    bool addTask(const QVariantMap &task);
    // Overwrites, in the task with the map's "id", every key of the map.
    bool updateTask(const QVariantMap &task);
    bool removeTask(const QString &id);

    static QString stringContentFileAtPath(const QString &path);

signals:
    void writeFailed(ConfigurationManager::Write what, const QString &reason);
    // Kept sessions were stored after all.
    void unsavedStored();
    // A display's category and room class were stored.
    void displayClassified(const QVariantMap &identity, const QString &category);

private:
    void initialise();
    void openDatabase();
    bool isDamaged() const;
    void backUpDamagedFile();
    bool reportWrite(bool written, Write what);
    void storeUnsaved();
    bool save();

    QString m_fileName;
    std::unique_ptr<SessionDatabase> m_database;
    std::unique_ptr<UnsavedSessions> m_unsaved;
    // None while the settings file still holds sessions that were not imported.
    QSettings *m_settings = nullptr;
    QString m_heldLocale;
    StartReport m_startReport;
};
