// lumivex-report: writes the PDF report of a stored testing session, or lists
// the stored sessions, from a settings file, without a display.

#include "defaultdictionary.h"
#include "legacyimport.h"
#include "legacysettingsfile.h"
#include "printabletext.h"
#include "recordfingerprint.h"
#include "reportfingerprint.h"
#include "reportgenerator.h"
#include "sessiondatabase.h"
#include "sessionexport.h"
#include "sitedatabase.h"
#include "translator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextStream>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

enum ExitCode
{
    Success = 0,
    Failure = 1,
    BadArguments = 2,
    // --verify: the report does not match its stored record, or it is not a report.
    NoMatch = 1,
    NotAReport = 2
};

const QString DefaultSettingsFile = QStringLiteral("Lumivex 2016.ini");
// Reports of sessions in the same minute share a default name; they are numbered up to this.
constexpr int MaxDefaultNameNumber = 1000;

// A failure that ends the program: the line for standard error and the exit code.
struct Outcome
{
    ExitCode code = Success;
    QString message;
};

Outcome fail(ExitCode code, const QString &message)
{
    return Outcome{code, message};
}

QTextStream &standardOutput()
{
    static QTextStream stream(stdout);
    return stream;
}

// The sessions the tool reads: newest first, the list's fields of each, and
// the whole record of one when it is needed.
class SessionSource
{
public:
    virtual ~SessionSource() = default;
    virtual Outcome open() = 0;
    virtual Outcome readRecord(int index, QVariantMap *record) = 0;

    QString path() const { return m_path; }
    QVariantList sessions() const { return m_sessions; }
    QString locale() const { return m_locale; }

protected:
    explicit SessionSource(const QString &path) : m_path(path) {}

    QString m_path;
    QVariantList m_sessions;
    QString m_locale;
};

// The database the program keeps beside its settings file, opened read-only.
class DatabaseSource : public SessionSource
{
public:
    explicit DatabaseSource(const QString &path) : SessionSource(path), m_database(path, SessionDatabase::ReadOnly) {}

    Outcome open() override
    {
        if (!QFileInfo::exists(m_path))
            return fail(Failure, QStringLiteral("database \"%1\" does not exist").arg(m_path));
        if (!m_database.open())
            return fail(Failure,
                        QStringLiteral("database \"%1\" cannot be read: %2").arg(m_path, m_database.errorString()));
        m_sessions = m_database.sessionSummaries();
        if (m_sessions.isEmpty())
            return fail(Failure, QStringLiteral("database \"%1\" holds no stored sessions").arg(m_path));
        const QString settings = QFileInfo(m_path).absoluteDir().filePath(DefaultSettingsFile);
        if (QFileInfo::exists(settings))
            m_locale = LegacySettingsFile(settings).read(ignoreRecords).locale;
        return Outcome();
    }

    Outcome readRecord(int index, QVariantMap *record) override
    {
        const QVariantMap summary = m_sessions.at(index).toMap();
        *record = m_database.sessionRecord(summary.value(QStringLiteral("id")).toLongLong());
        if (record->isEmpty())
            return fail(Failure, QStringLiteral("session %1 cannot be read: %2").arg(index).arg(m_database.errorString()));
        // The report carries the fingerprint of the stored record.
        record->insert(RecordFingerprint::UuidKey, summary.value(QStringLiteral("uuid")));
        return Outcome();
    }

    // Whether the stored record of the session with that uuid still has the fingerprint.
    Outcome verify(const QString &uuid, const QString &fingerprint)
    {
        for (int index = 0; index < m_sessions.size(); ++index) {
            if (m_sessions.at(index).toMap().value(QStringLiteral("uuid")).toString() != uuid)
                continue;
            QVariantMap record;
            const Outcome read = readRecord(index, &record);
            if (read.code != Success)
                return fail(NoMatch, read.message);
            if (RecordFingerprint::of(uuid, record) != fingerprint)
                return fail(NoMatch, QStringLiteral("the stored record of session %1 (index %2) was changed after "
                                                    "the report was written: its fingerprint is %3")
                                         .arg(uuid)
                                         .arg(index)
                                         .arg(RecordFingerprint::of(uuid, record)));
            standardOutput() << QStringLiteral("the report matches session %1 (index %2), fingerprint %3\n")
                                    .arg(uuid)
                                    .arg(index)
                                    .arg(fingerprint);
            return Outcome();
        }
        return fail(NoMatch, QStringLiteral("database \"%1\" holds no session %2").arg(m_path, uuid));
    }

private:
    static bool ignoreRecords(LegacySettingsFile::List, int, const QVariantMap &) { return true; }

    SessionDatabase m_database;
};

// The site database of every station, named by a postgresql:// URI; with a
// station name only that station's sessions.
class SiteSource : public SessionSource
{
public:
    static bool isSiteUri(const QString &database)
    {
        return database.startsWith(QLatin1String("postgresql://")) ||
               database.startsWith(QLatin1String("postgres://"));
    }

    SiteSource(const QString &uri, const QString &station)
        : SessionSource(SiteUri::parse(uri).displayName())
        , m_site(SiteUri::parse(uri), QStringLiteral("lumivex-report"))
        , m_station(station)
    {
    }

    Outcome open() override
    {
        bool read = false;
        const QVector<SiteSessionSummary> summaries =
            m_site.open() ? m_site.sessions(m_station, &read) : QVector<SiteSessionSummary>();
        if (!read)
            return fail(Failure, m_site.lastError());
        for (const SiteSessionSummary &summary : summaries) {
            m_uuids << summary.uuid;
            m_sessions.append(QVariantMap{{QStringLiteral("date"), summary.storedAt},
                                          {QStringLiteral("tester"), summary.tester},
                                          {QStringLiteral("nfailedtestcontents"), summary.failedCount},
                                          {QStringLiteral("station"), summary.station},
                                          {QStringLiteral("sentBy"), summary.sentBy},
                                          {QStringLiteral("withdrawal"), summary.withdrawal()}});
        }
        if (m_sessions.isEmpty() && m_station.isEmpty())
            return fail(Failure, QStringLiteral("the site database %1 holds no sessions").arg(m_path));
        if (m_sessions.isEmpty())
            return fail(Failure, QStringLiteral("the site database %1 holds no sessions of the station \"%2\"")
                                     .arg(m_path, PrintableText::escaped(m_station)));
        return Outcome();
    }

    Outcome readRecord(int index, QVariantMap *record) override
    {
        *record = m_site.sessionRecord(m_uuids.at(index));
        if (record->isEmpty())
            return fail(Failure, QStringLiteral("session %1 cannot be read: %2").arg(index).arg(m_site.lastError()));
        return Outcome();
    }

private:
    SiteDatabase m_site;
    QString m_station;
    QStringList m_uuids;
};

// A settings file of an earlier version, whose sessions were never moved into
// a database. It is only read, one record at a time.
class SettingsSource : public SessionSource
{
public:
    explicit SettingsSource(const QString &path) : SessionSource(path) {}

    Outcome open() override
    {
        const QFileInfo info(m_path);
        if (!info.exists())
            return fail(Failure, QStringLiteral("settings file \"%1\" does not exist").arg(m_path));
        const auto summarise = [this](LegacySettingsFile::List list, int position, QVariantMap record) {
            if (list == LegacySettingsFile::Sessions) {
                record.remove(QStringLiteral("test_session"));
                record.insert(QStringLiteral("position"), position);
                m_sessions.append(record);
            }
            return true;
        };
        if (!info.isFile())
            return fail(Failure, QStringLiteral("settings file \"%1\" cannot be read").arg(m_path));
        const LegacySettingsFile::Result result = LegacySettingsFile(m_path).read(summarise);
        if (!result.readable)
            return fail(Failure, QStringLiteral("settings file \"%1\" cannot be read").arg(m_path));
        m_locale = result.locale;
        sortNewestFirst();
        if (m_sessions.isEmpty())
            return fail(Failure, QStringLiteral("settings file \"%1\" holds no stored sessions").arg(m_path) +
                                     movedTo(info));
        return Outcome();
    }

    Outcome readRecord(int index, QVariantMap *record) override
    {
        const int wanted = m_sessions.at(index).toMap().value(QStringLiteral("position")).toInt();
        const auto take = [&](LegacySettingsFile::List list, int position, const QVariantMap &stored) {
            if (list != LegacySettingsFile::Sessions || position != wanted)
                return true;
            *record = stored;
            return false;
        };
        LegacySettingsFile(m_path).read(take);
        if (record->isEmpty())
            return fail(Failure, QStringLiteral("session %1 cannot be read again from \"%2\"").arg(index).arg(m_path));
        return Outcome();
    }

private:
    // A settings file the program has already imported keeps no sessions: the
    // database beside it holds them, and the copy of the file as it was.
    static QString movedTo(const QFileInfo &settings)
    {
        const QString database = settings.absoluteDir().filePath(SessionDatabase::defaultFileName());
        const QStringList backups = LegacyImport::backupsOf(settings.filePath());
        if (!QFileInfo::exists(database) && backups.isEmpty())
            return QString();
        QString text = QStringLiteral("; the program keeps its sessions in the database \"%1\" (list them with "
                                      "--database \"%1\")")
                           .arg(database);
        if (!backups.isEmpty())
            text += QStringLiteral("; the settings file as it was before they were moved there is kept as \"%1\"")
                        .arg(backups.constLast());
        return text;
    }

    // As the program listed them: newest first, sessions without a date last,
    // sessions of the same moment in stored order.
    void sortNewestFirst()
    {
        const auto key = [](const QVariant &session) {
            const QDateTime date = session.toMap().value(QStringLiteral("date")).toDateTime();
            return date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
        };
        std::stable_sort(m_sessions.begin(), m_sessions.end(),
                         [&key](const QVariant &a, const QVariant &b) { return key(a) > key(b); });
    }
};

void listSessions(const QVariantList &sessions)
{
    for (int index = 0; index < sessions.size(); ++index) {
        const QVariantMap session = sessions.at(index).toMap();
        standardOutput()
            << index << '\t'
            << session.value(QStringLiteral("date")).toDateTime().toString(QStringLiteral("dd/MM/yyyy - hh:mm")) << '\t'
            << PrintableText::escaped(session.value(QStringLiteral("tester")).toString()) << '\t'
            << session.value(QStringLiteral("nfailedtestcontents")).toLongLong();
        // Sessions of the site database also name their station and the login that sent them.
        if (session.contains(QStringLiteral("station")))
            standardOutput() << '\t' << PrintableText::escaped(session.value(QStringLiteral("station")).toString())
                             << '\t' << PrintableText::escaped(session.value(QStringLiteral("sentBy")).toString());
        // A withdrawn session ends its line with who withdrew it, when (UTC) and why.
        const QVariantMap withdrawal = session.value(QStringLiteral("withdrawal")).toMap();
        if (!withdrawal.isEmpty())
            standardOutput()
                << "\twithdrawn\t" << PrintableText::escaped(withdrawal.value(QStringLiteral("withdrawnBy")).toString())
                << '\t' << withdrawal.value(QStringLiteral("withdrawnAt")).toDateTime().toUTC().toString(Qt::ISODate)
                << '\t' << PrintableText::escaped(withdrawal.value(QStringLiteral("reason")).toString());
        standardOutput() << '\n';
    }
    standardOutput().flush();
}

// The built-in English texts; the report switches to the stored language afterwards.
void useBuiltInLanguage()
{
    TR::Translator *translator = TR::Translator::instance();
    translator->setLanguagePaths(TR::Translator::programLanguagePaths());
    translator->setModel(TR::defaultDictionary());
}

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// Writes the session's data in the format the file name asks for.
Outcome writeExport(const QVariantMap &session, const QString &exportPath, SessionExport::Format format)
{
    QSaveFile output(exportPath);
    const QByteArray data = SessionExport::write(session, format);
    if (!output.open(QIODevice::WriteOnly) || output.write(data) != data.size() || !output.commit())
        return fail(Failure, QStringLiteral("cannot write \"%1\": %2").arg(exportPath, output.errorString()));
    return Outcome();
}

// The file a path names once every link is followed, also when it does not exist yet.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// Written files must never replace the file read or each other.
Outcome checkOutputs(const SessionSource &source, const QString &outputPath, const QString &exportPath)
{
    const QString read = resolvedPath(source.path());
    const QString kind = dynamic_cast<const DatabaseSource *>(&source) ? QStringLiteral("database")
                                                                       : QStringLiteral("settings file");
    for (const QString &path : {outputPath, exportPath}) {
        if (!path.isEmpty() && resolvedPath(path) == read)
            return fail(BadArguments, QStringLiteral("\"%1\" is the %2; choose another file").arg(path, kind));
    }
    if (!outputPath.isEmpty() && !exportPath.isEmpty() && resolvedPath(outputPath) == resolvedPath(exportPath))
        return fail(BadArguments, QStringLiteral("--out and --export name the same file \"%1\"").arg(outputPath));
    return Outcome();
}

// A complete PDF ends with its end-of-file marker; a write cut short by a full
// disk does not, even when the printer reported no error.
bool endsAsPdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 5 || !file.seek(qMax<qint64>(0, file.size() - 64)))
        return false;
    return file.readAll().trimmed().endsWith("%%EOF");
}

// Moves a finished draft to the first free name of "base.pdf", "base-2.pdf", ...:
// a default name never replaces an earlier report. Empty when no name was free.
QString moveToFreeName(const QString &draft, const QString &baseName)
{
    for (int number = 1; number <= MaxDefaultNameNumber; ++number) {
        const QString candidate =
            baseName + (number > 1 ? QStringLiteral("-%1").arg(number) : QString()) + QStringLiteral(".pdf");
        // Renaming never replaces an existing file, so two runs at once cannot take the same name.
        if (QFile::rename(draft, candidate))
            return candidate;
        if (!QFileInfo::exists(candidate))
            return QString();
    }
    return QString();
}

// Draws the report into a scratch file beside its destination and moves it
// into place only when the printer reported no error and the file is complete,
// so a failed run leaves neither a partial PDF nor the scratch file behind.
// With a base name instead of an output path the report takes a free default name.
Outcome writeReport(const QVariantMap &session, QString &outputPath, const QString &baseName = QString())
{
    const QString target = baseName.isEmpty() ? outputPath : baseName + QStringLiteral(".pdf");
    QTemporaryFile draft(QFileInfo(target).absolutePath() + QStringLiteral("/.lumivex-report-XXXXXX.pdf"));
    if (!draft.open())
        return fail(Failure, QStringLiteral("cannot write \"%1\": %2").arg(target, draft.errorString()));
    draft.close();
    ReportGenerator generator;
    if (!generator.writePdf(session, draft.fileName()) || !endsAsPdf(draft.fileName()))
        return fail(Failure, QStringLiteral("cannot write \"%1\": the report was not written completely (is the disk "
                                            "full?)")
                                 .arg(target));
    if (!baseName.isEmpty())
        outputPath = moveToFreeName(draft.fileName(), baseName);
    else if (std::rename(QFile::encodeName(draft.fileName()).constData(), QFile::encodeName(outputPath).constData()))
        outputPath.clear();
    if (outputPath.isEmpty())
        return fail(Failure, QStringLiteral("cannot move the report into place as \"%1\"").arg(target));
    draft.setAutoRemove(false);
    return Outcome();
}

// The database in the working folder when there is one, else the settings
// file of an earlier version; either as named on the command line.
std::unique_ptr<SessionSource> chooseSource(const QCommandLineParser &parser)
{
    const QString database = parser.value(QStringLiteral("database"));
    if (SiteSource::isSiteUri(database))
        return std::make_unique<SiteSource>(database, parser.value(QStringLiteral("station")));
    if (parser.isSet(QStringLiteral("database")))
        return std::make_unique<DatabaseSource>(database);
    if (parser.isSet(QStringLiteral("settings")) || !QFileInfo::exists(SessionDatabase::defaultFileName()))
        return std::make_unique<SettingsSource>(
            parser.isSet(QStringLiteral("settings")) ? parser.value(QStringLiteral("settings")) : DefaultSettingsFile);
    return std::make_unique<DatabaseSource>(SessionDatabase::defaultFileName());
}

// Finds the session a report names in the station's database and compares
// the report's fingerprint with that of the stored record now.
Outcome verifyReport(const QCommandLineParser &parser)
{
    const QString reportPath = parser.value(QStringLiteral("verify"));
    QFile report(reportPath);
    if (!report.open(QIODevice::ReadOnly))
        return fail(NotAReport, QStringLiteral("cannot read \"%1\": %2").arg(reportPath, report.errorString()));
    QString uuid;
    QString fingerprint;
    if (!ReportFingerprint::readFrom(report.readAll(), &uuid, &fingerprint))
        return fail(NotAReport, QStringLiteral("\"%1\" is not a Lumivex report of a stored session").arg(reportPath));
    DatabaseSource source(parser.isSet(QStringLiteral("database")) ? parser.value(QStringLiteral("database"))
                                                                   : SessionDatabase::defaultFileName());
    const Outcome opened = source.open();
    if (opened.code != Success)
        return fail(NoMatch, opened.message);
    return source.verify(uuid, fingerprint);
}

Outcome run(const QCommandLineParser &parser)
{
    if (!parser.positionalArguments().isEmpty())
        return fail(BadArguments,
                    QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));
    const bool list = parser.isSet(QStringLiteral("list"));
    if (list && (parser.isSet(QStringLiteral("session")) || parser.isSet(QStringLiteral("out")) ||
                 parser.isSet(QStringLiteral("export"))))
        return fail(BadArguments, QStringLiteral("--list cannot be combined with --session, --out or --export"));
    const QString exportPath = parser.value(QStringLiteral("export"));
    SessionExport::Format exportFormat = SessionExport::Json;
    if (parser.isSet(QStringLiteral("export")) && !SessionExport::formatOf(exportPath, &exportFormat))
        return fail(BadArguments,
                    QStringLiteral("--export needs a file ending in .json or .csv, not \"%1\"").arg(exportPath));

    int index = 0;
    if (parser.isSet(QStringLiteral("session"))) {
        bool isNumber = false;
        index = parser.value(QStringLiteral("session")).toInt(&isNumber);
        if (!isNumber || index < 0)
            return fail(BadArguments, QStringLiteral("--session needs a session index (0 = newest), not \"%1\"")
                                          .arg(parser.value(QStringLiteral("session"))));
    }

    if (parser.isSet(QStringLiteral("settings")) && parser.isSet(QStringLiteral("database")))
        return fail(BadArguments, QStringLiteral("--settings and --database cannot be combined"));
    if (parser.isSet(QStringLiteral("station")) && !SiteSource::isSiteUri(parser.value(QStringLiteral("database"))))
        return fail(BadArguments, QStringLiteral("--station needs a site database: --database postgresql://..."));
    if (parser.isSet(QStringLiteral("verify")))
        return verifyReport(parser);
    const std::unique_ptr<SessionSource> chosen = chooseSource(parser);
    SessionSource &source = *chosen;
    const Outcome checked = checkOutputs(source, parser.value(QStringLiteral("out")), exportPath);
    if (checked.code != Success)
        return checked;
    const Outcome opened = source.open();
    if (opened.code != Success)
        return opened;

    const QVariantList sessions = source.sessions();
    if (list) {
        listSessions(sessions);
        return Outcome();
    }
    if (index >= sessions.size())
        return fail(BadArguments, QStringLiteral("there is no session %1: \"%2\" holds %3 (0 to %4)")
                                      .arg(index)
                                      .arg(source.path())
                                      .arg(sessions.size())
                                      .arg(sessions.size() - 1));

    QVariantMap session;
    const Outcome read = source.readRecord(index, &session);
    if (read.code != Success)
        return read;
    useBuiltInLanguage();
    if (!exportPath.isEmpty()) {
        // The export marks a withdrawn session; the report and its fingerprint read the stored record alone.
        QVariantMap exported = session;
        const QVariant withdrawal = sessions.at(index).toMap().value(QStringLiteral("withdrawal"));
        if (!withdrawal.toMap().isEmpty())
            exported.insert(QStringLiteral("withdrawal"), withdrawal);
        const Outcome written = writeExport(exported, exportPath, exportFormat);
        if (written.code != Success)
            return written;
        standardOutput() << QDir::toNativeSeparators(exportPath) << '\n';
        if (!parser.isSet(QStringLiteral("out")))
            return Outcome();
    }

    QString outputPath = parser.value(QStringLiteral("out"));
    const QString baseName = outputPath.isEmpty() ? ReportGenerator::reportBaseName(session) : QString();
    if (outputPath.isEmpty() && baseName.isEmpty())
        return fail(Failure, QStringLiteral("session %1 has no date to name the report after; use --out").arg(index));

    if (!source.locale().isEmpty())
        TR::Translator::instance()->setLocale(source.locale());
    const Outcome written = writeReport(session, outputPath, baseName);
    if (written.code == Success)
        standardOutput() << QDir::toNativeSeparators(outputPath) << '\n';
    return written;
}

} // namespace

int main(int argc, char *argv[])
{
    // Reports and exports hold names and serial numbers: readable by their owner only.
    ::umask(S_IRWXG | S_IRWXO);
    // Reports are drawn off screen; the tool must run where there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application object would take options such as "--session" for
    // itself (session management), so it sees none of the tool's arguments.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The libraries' diagnostics would blur the tool's one line on failure.
    if (!arguments.contains(QLatin1String("--verbose")))
        qInstallMessageHandler(discardMessage);
    int applicationArgc = 1;
    QGuiApplication application(applicationArgc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumivex-report"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the PDF report of a testing session stored by Lumivex.\n"
                       "Exit codes: 0 done, 1 failure (database or settings file, sessions, output), "
                       "2 bad arguments."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("database"),
         QStringLiteral("The database to read (default \"Lumivex.sqlite\" when it is in the working folder), or "
                        "the site database of every station as a postgresql:// URI (its password in ~/.pgpass)."),
         QStringLiteral("file")},
        {QStringLiteral("station"),
         QStringLiteral("Only the sessions of this station of the site database; from a site database --list "
                        "also prints each session's station and the login that sent it."),
         QStringLiteral("name")},
        {QStringLiteral("settings"),
         QStringLiteral("A settings file of an earlier version whose sessions were never moved into a database "
                        "(default \"Lumivex 2016.ini\" when there is no database)."),
         QStringLiteral("file")},
        {QStringLiteral("list"), QStringLiteral("List the stored sessions, newest first: index, date, tester, "
                                                "failed contents; a withdrawn session adds \"withdrawn\", who, when "
                                                "and why; control characters in names are escaped "
                                                "(\\n, \\t, \\u{1b}, a backslash as \\\\).")},
        {QStringLiteral("session"),
         QStringLiteral("The session to report, by its index in the list (default 0, "
                        "the newest)."),
         QStringLiteral("index")},
        {QStringLiteral("out"), QStringLiteral("The PDF to write (default: the session's date as yyyyMMdd-HHmm.pdf)."),
         QStringLiteral("file")},
        {QStringLiteral("export"),
         QStringLiteral("Write the session's data as JSON or CSV, chosen by the file's suffix, instead of the PDF "
                        "(with --out as well)."),
         QStringLiteral("file")},
        {QStringLiteral("verify"),
         QStringLiteral("Check that a report still belongs to its stored record: finds the session the report "
                        "names in the database and compares the fingerprints. Exit codes: 0 match, 1 no match "
                        "(changed or missing record), 2 not a report."),
         QStringLiteral("report.pdf")},
        {QStringLiteral("verbose"), QStringLiteral("Also print the libraries' diagnostic lines.")},
    });

    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "lumivex-report: %s\nTry \"lumivex-report --help\".\n",
                     qUtf8Printable(parser.errorText()));
        return BadArguments;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Success);

    const Outcome outcome = run(parser);
    if (outcome.code != Success)
        std::fprintf(stderr, "lumivex-report: %s\n", qUtf8Printable(outcome.message));
    return outcome.code;
}
