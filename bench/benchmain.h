#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

// Like QTEST_MAIN, but in a temporary home of the benchmark's own (data under "data", preferences
// under "config"), with the program's identity, away from the network, and on the offscreen
// platform unless another is chosen.
#define GLIMRA_BENCH_MAIN(Bench)                                                                                       \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        QTemporaryDir home;                                                                                            \
        qputenv("HOME", home.path().toUtf8());                                                                         \
        qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());                                    \
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());                                \
        qputenv("GLIMRA_UPDATE_URL", "http://127.0.0.1:9/updates/");                                                   \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QApplication app(argc, argv);                                                                                  \
        QApplication::setApplicationName(QStringLiteral("Glimra"));                                                    \
        QApplication::setOrganizationName(QStringLiteral("Orvanta"));                                                  \
        Bench bench;                                                                                                   \
        return QTest::qExec(&bench, argc, argv);                                                                       \
    }
