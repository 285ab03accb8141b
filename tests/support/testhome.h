#pragma once

#include <QApplication>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// `base` with HOME, the XDG folders and a private runtime folder inside `home`, so that the
// program's preferences, library and pictures never touch the real user's data, and with the
// automatic update check kept away from the network.
QProcessEnvironment environmentForHome(const QString &home, QProcessEnvironment base);

// A temporary home folder for the whole test process.
class TestHome
{
public:
    TestHome();
    QString path() const { return m_dir.path(); }
    QString dataFolder() const { return path() + QStringLiteral("/.local/share/Orvanta/Glimra"); }
    QString settingsFile() const { return path() + QStringLiteral("/.config/Orvanta/Glimra.conf"); }

private:
    QTemporaryDir m_dir;
};

// The whole file; empty when it cannot be read.
QByteArray readFile(const QString &path);
// Writes `bytes` to `path`, creating its folder; false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);

// Like QTEST_MAIN, but inside a temporary home and with the program's identity, so that paths
// and the preferences store are those the program itself uses.
#define GLIMRA_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        TestHome home;                                                                                                 \
        QApplication app(argc, argv);                                                                                  \
        QApplication::setApplicationName(QStringLiteral("Glimra"));                                                    \
        QApplication::setOrganizationName(QStringLiteral("Orvanta"));                                                  \
        QApplication::setOrganizationDomain(QStringLiteral("orvanta.example"));                                        \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
