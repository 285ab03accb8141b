#pragma once

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// A temporary home folder for the whole test process: HOME and the XDG folders point into it,
// so preferences, the library file and pictures never touch the real user's data.
class TestHome
{
public:
    TestHome();
    QString path() const { return m_dir.path(); }
    QString dataFolder() const;   // the program's per-user data folder
    QString settingsFile() const; // the preferences store
    QString autostartFile() const;

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
