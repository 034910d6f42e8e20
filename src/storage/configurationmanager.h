#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

class QSettings;

// The one reader and writer of the settings file: the chosen language, the
// stored testing sessions and the scheduled tasks. Every change is written to
// disk before the call returns; QSettings replaces the file atomically, so a
// crash leaves either the previous or the new file.
class ConfigurationManager : public QObject
{
    Q_OBJECT

public:
    static ConfigurationManager *instance();

    // The application uses instance(), which works on "Lumivex 2016.ini" in
    // the working folder; tests and tools may open a store on any file.
    explicit ConfigurationManager(const QString &fileName, QObject *parent = nullptr);
    ~ConfigurationManager() override;

    QString fileName() const;

    QString localeSelected() const;
    void setLocaleSelected(const QString &code);

    QVariantList sessions() const;
    QVariantMap latestSessionResults() const;
    // False when the file could not be written: the session is then kept in
    // memory only, until the program ends.
    bool addSession(const QVariantMap &results, const QString &tester, uint ntest, uint failedContents,
                    int monitorSelected, const QString &monitorInfo);
    void removeSession(const QVariantMap &record);

    QVariantList tasks() const;
    void addTask(const QVariantMap &task);
    void updateTask(const QVariantMap &task);
    void removeTask(const QString &id);

    static QString stringContentFileAtPath(const QString &path);

private:
    void initialise();
    bool isDamaged() const;
    void backUpDamagedFile();
    QVariantList storedList(const QString &key) const;
    bool writeList(const QString &key, const QVariantList &list);
    bool save();

    QSettings *m_settings;
};
