#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;
class SessionDatabase;

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
    QVariantList sessions() const;
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
    bool addSessionRecord(const QVariantMap &record);
    // Removes the session with the summary's "id".
    bool removeSession(const QVariantMap &summary);

    // See SessionDatabase.
    bool classifyDisplay(const QVariantMap &identity, const QString &category, const QString &roomClass);
    bool makeReference(const QString &displayKey, qint64 sessionId);
    bool setWorkstation(const QString &displayKey, const QString &workstation);

    QVariantList tasks() const;
    bool addTask(const QVariantMap &task);
    // Overwrites, in the task with the map's "id", every key of the map.
    bool updateTask(const QVariantMap &task);
    bool removeTask(const QString &id);

    static QString stringContentFileAtPath(const QString &path);

signals:
    void writeFailed(ConfigurationManager::Write what, const QString &reason);
    // A display's category and room class were stored.
    void displayClassified(const QVariantMap &identity, const QString &category);

private:
    void initialise();
    void openDatabase();
    void importLegacyRecords();
    bool isDamaged() const;
    void backUpDamagedFile();
    bool reportWrite(bool written, Write what);
    bool save();

    QString m_fileName;
    std::unique_ptr<SessionDatabase> m_database;
    QSettings *m_settings = nullptr;
    StartReport m_startReport;
};
