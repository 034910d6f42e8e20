// Helper process of the settings-file tests: it adds sessions to a settings
// file the way the application does, printing "added <stored count>" after
// each add.
//
//   settingschild add <file>        adds sessions until killed
//   settingschild addonce <file>    adds one session
//   settingschild addasuser <file>  the same as an ordinary user when run as root

#include "configurationmanager.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>

// Sessions big enough that a save takes a while, so a kill often lands in one.
static QVariantMap sessionResults(int serial)
{
    return {{QStringLiteral("1"),
             QVariantMap{{QStringLiteral("answers"), QString(10000, QLatin1Char('a' + serial % 26))}}}};
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    // The tests run as root on CI, and root writes into read-only folders; an
    // ordinary user is needed to see the program meet one.
    const uid_t nobody = 65534;
    if (args.at(1) == QLatin1String("addasuser") && geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0))
        return 3;
    ConfigurationManager store(args.at(2));
    QTextStream out(stdout);
    for (int serial = 0; serial == 0 || args.at(1) == QLatin1String("add"); ++serial) {
        store.addSession(sessionResults(serial), QStringLiteral("tester %1").arg(serial), 6, 0, 0,
                         QStringLiteral("monitor"));
        out << "added " << store.sessions().size() << Qt::endl;
    }
    return 0;
}
