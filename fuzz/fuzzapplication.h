#pragma once

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdlib>

// The one application object a fuzzer needs for fonts, screens and files,
// created on the first input, on the offscreen platform and with the logging
// of the libraries silenced (millions of inputs would drown the console).
inline QGuiApplication &fuzzApplication()
{
    static int argc = 1;
    static char name[] = "lumivex-fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QGuiApplication(argc, argv);
    }();
    return *application;
}

// A folder of its own for the files an input is written to.
inline const QTemporaryDir &fuzzFolder()
{
    static const QTemporaryDir folder;
    return folder;
}
