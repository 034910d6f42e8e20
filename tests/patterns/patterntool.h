#pragma once

// Runs the pattern tool, or another program, as a user does, and keeps what it said.

#include "support/patience.h"
#include "testconfig.h"

#include <QProcess>

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString error;

    QStringList errorLines() const { return error.split('\n', Qt::SkipEmptyParts); }
};

// An exit code of -1 when the program did not end on its own; an export of 40
// images may take several times the patience of one wait.
inline ProgramRun runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The test runner turns on every debug category; a user running the tool does not.
    environment.remove("QT_LOGGING_RULES");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun result;
    if (process.waitForFinished(4 * Patience) && process.exitStatus() == QProcess::NormalExit)
        result = {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    return result;
}

inline ProgramRun runPatternTool(const QStringList &arguments)
{
    return runProgram(QStringLiteral(LUMIVEX_BIN_DIR "/lumivex-pattern"), arguments);
}
