// Helper process of the settings-file tests: it works on a settings file the
// way the application does, or reports what another process finds in it.
//
//   settingschild add <file>          adds sessions until killed, printing
//                                     "added <stored count>" after each add
//   settingschild addonce <file>      adds one session, prints "sessions <n>"
//   settingschild addasuser <file>    the same as an ordinary user when run as root
//   settingschild types <file>        prints "status <n>" and one line per key:
//                                     "<key> <type>[ <element types>]"
//   settingschild records <file>      prints "sessions <n>" and "tasks <n>",
//                                     then the type of every record field

#include "configurationmanager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSettings>
#include <QTextStream>

#include <unistd.h>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Sessions big enough that a save takes a while, so a kill often lands in one.
QVariantMap sessionResults(int serial)
{
    QVariantMap groups;
    for (int group = 1; group <= 6; ++group) {
        QVariantMap contents;
        for (int content = 0; content < 40; ++content)
            contents.insert(QStringLiteral("content%1").arg(content, 8, 10, QLatin1Char('0')),
                            QStringLiteral("answer %1 of session %2").arg(content).arg(serial));
        groups.insert(QString::number(group), contents);
    }
    return groups;
}

int addForever(const QString &fileName)
{
    ConfigurationManager store(fileName);
    for (int serial = 0;; ++serial) {
        store.addSession(sessionResults(serial), QStringLiteral("tester %1").arg(serial), 6, 0, 0,
                         QStringLiteral("monitor"));
        out() << "added " << store.sessions().size() << Qt::endl;
    }
}

int addOnce(const QString &fileName)
{
    ConfigurationManager store(fileName);
    store.addSession(sessionResults(0), QStringLiteral("read-only tester"), 6, 0, 0, QStringLiteral("monitor"));
    out() << "sessions " << store.sessions().size() << Qt::endl;
    return 0;
}

QString typesOf(const QVariant &value)
{
    QString text = QString::fromLatin1(value.typeName() ? value.typeName() : "invalid");
    if (value.type() == QVariant::List) {
        const QVariantList elements = value.toList();
        for (const QVariant &element : elements)
            text += QLatin1Char(' ') + QString::fromLatin1(element.typeName());
    }
    return text;
}

int printTypes(const QString &fileName)
{
    QSettings settings(fileName, QSettings::IniFormat);
    out() << "status " << settings.status() << Qt::endl;
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys)
        out() << key << ' ' << typesOf(settings.value(key)) << Qt::endl;
    return 0;
}

void printRecordTypes(const QString &kind, const QVariantList &records)
{
    out() << kind << ' ' << records.size() << Qt::endl;
    for (const QVariant &record : records) {
        const QVariantMap map = record.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            out() << kind << '.' << it.key() << ' ' << typesOf(it.value()) << Qt::endl;
    }
}

int printRecords(const QString &fileName)
{
    QSettings settings(fileName, QSettings::IniFormat);
    out() << "status " << settings.status() << Qt::endl;
    printRecordTypes(QStringLiteral("sessions"), settings.value(QStringLiteral("TEST_SESSIONS/list")).toList());
    printRecordTypes(QStringLiteral("tasks"), settings.value(QStringLiteral("SCHEDULER/tasks")).toList());
    return 0;
}

// The tests run as root on CI, and root writes into read-only folders; an
// ordinary user is needed to see the program meet one.
void dropRootPrivileges()
{
    const uid_t nobody = 65534;
    if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) {
        out() << "cannot drop root privileges" << Qt::endl;
        ::exit(3);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString &mode = args.at(1);
    const QString &fileName = args.at(2);
    if (mode == QLatin1String("add"))
        return addForever(fileName);
    if (mode == QLatin1String("addonce"))
        return addOnce(fileName);
    if (mode == QLatin1String("addasuser")) {
        dropRootPrivileges();
        return addOnce(fileName);
    }
    if (mode == QLatin1String("types"))
        return printTypes(fileName);
    if (mode == QLatin1String("records"))
        return printRecords(fileName);
    return 2;
}
