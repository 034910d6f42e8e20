// Helper process of the settings-file tests: it works on a settings file the
// way the application does, or reports what a fresh process finds in it.
//
//   settingschild add <file>        adds sessions until killed, printing
//                                   "added <stored count>" after each add
//   settingschild addonce <file>    adds one session and prints the same line
//   settingschild addasuser <file>  the same as an ordinary user when run as root
//   settingschild types <file>      prints "status <n>", "<key> <type>[ <element types>]"
//                                   for every key and "<key>.<field> <type>" for
//                                   every field of the records in a list

#include "configurationmanager.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTextStream>

#include <unistd.h>

namespace {

QTextStream out(stdout);

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

int addSessions(const QString &fileName, bool untilKilled)
{
    ConfigurationManager store(fileName);
    for (int serial = 0; serial == 0 || untilKilled; ++serial) {
        store.addSession(sessionResults(serial), QStringLiteral("tester %1").arg(serial), 6, 0, 0,
                         QStringLiteral("monitor"));
        out << "added " << store.sessions().size() << Qt::endl;
    }
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
    out << "status " << settings.status() << Qt::endl;
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        const QVariant value = settings.value(key);
        out << key << ' ' << typesOf(value) << Qt::endl;
        if (value.type() != QVariant::List)
            continue;
        const QVariantList records = value.toList();
        for (const QVariant &record : records) {
            const QVariantMap fields = record.toMap();
            for (auto it = fields.cbegin(); it != fields.cend(); ++it)
                out << key << '.' << it.key() << ' ' << typesOf(it.value()) << Qt::endl;
        }
    }
    return 0;
}

// The tests run as root on CI, and root writes into read-only folders; an
// ordinary user is needed to see the program meet one.
void dropRootPrivileges()
{
    const uid_t nobody = 65534;
    if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) {
        out << "cannot drop root privileges" << Qt::endl;
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
    if (mode == QLatin1String("addasuser"))
        dropRootPrivileges();
    if (mode == QLatin1String("add"))
        return addSessions(fileName, true);
    if (mode == QLatin1String("addonce") || mode == QLatin1String("addasuser"))
        return addSessions(fileName, false);
    if (mode == QLatin1String("types"))
        return printTypes(fileName);
    return 2;
}
