#include "buildconfig.h"
#include "glimraprocess.h"
#include "testhome.h"
#include "testpaths.h"
#include "updatesite.h"

#include "preferences/autostart.h"
#include "preferences/desktopentry.h"

#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {

const QString kAppId = QStringLiteral(GLIMRA_APP_ID);

struct Run
{
    int exitCode = -1;
    QByteArray output;
};

Run run(const QString &program, const QStringList &arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    else
        process.kill();
    result.output = process.readAll();
    return result;
}

} // namespace

// The Debian package as `cmake --build build --target package` makes it, built once and unpacked
// into the program folder of a runner, then checked with Debian's and the desktops' own tools.
class TestPackage : public QObject
{
    Q_OBJECT
    std::unique_ptr<GlimraProcess> m_glimra; // runs usr/bin/<name> of the unpacked package
    QString m_package;

    QString root() const { return m_glimra->programFolder(); }
    QString program() const { return m_glimra->programPath(); }

private slots:
    void initTestCase();
    void lintianFindsNoErrorOrWarning();
    void updaterIsNotInTheProgram();
    // The menu entry, the metainfo and the manual page, with the checkers desktops and Debian use.
    void desktopFilesValidate();
    void desktopEntryStartsThePackagedCommand();
    void entriesNameAnInstalledIcon_data();
    void entriesNameAnInstalledIcon();
    void iconsHaveTheirSizes_data();
    void iconsHaveTheirSizes();
    void runsAndQuitsWithoutAskingForUpdates();
};

void TestPackage::initTestCase()
{
    for (const char *tool : {"dpkg-deb", "lintian", "appstreamcli", "desktop-file-validate"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is missing (scripts/common.sh installs lintian, appstream and "
                                            "desktop-file-utils)")
                                 .arg(QString::fromLatin1(tool))));
    }
    const QDir build(QStringLiteral(GLIMRA_BUILD_DIR));
    const QString pattern = QStringLiteral("glimra_" GLIMRA_VERSION_STRING "_*.deb");
    for (const QString &old : build.entryList({pattern}, QDir::Files))
        QVERIFY(QFile::remove(build.filePath(old)));

    const Run built =
        run(QStringLiteral(GLIMRA_CMAKE_COMMAND),
            {QStringLiteral("--build"), build.path(), QStringLiteral("--target"), QStringLiteral("package")}, 2000000);
    QVERIFY2(built.exitCode == 0, built.output.right(4000).constData());
    const QStringList made = build.entryList({pattern}, QDir::Files);
    QCOMPARE(made.size(), 1);
    m_package = build.filePath(made.first());

    m_glimra = std::make_unique<GlimraProcess>(QStringLiteral("usr/bin/" GLIMRA_INSTALL_NAME));
    const Run unpacked = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_package, root()});
    QVERIFY2(unpacked.exitCode == 0, unpacked.output.constData());
    QVERIFY(QFileInfo(program()).isExecutable());
}

void TestPackage::lintianFindsNoErrorOrWarning()
{
    // Lintian's warnings include files that are not root's or not of the standard modes.
    const Run lintian =
        run(QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), m_package});
    const QStringList findings = QString::fromUtf8(lintian.output)
                                     .split(QLatin1Char('\n'))
                                     .filter(QRegularExpression(QStringLiteral("^[EW]: ")));
    QVERIFY2(findings.isEmpty(), qPrintable(findings.join(QLatin1Char('\n'))));
    QCOMPARE(lintian.exitCode, 0);
}

void TestPackage::updaterIsNotInTheProgram()
{
    // The type names of the updater's classes, whole strings in the program when they are linked
    // (the translations name them too, as contexts, and symbols as parts of longer names).
    const QByteArray binary = readFile(program());
    const auto typeName = [](const char *name) { return QByteArray(1, '\0') + name + QByteArray(1, '\0'); };
    QVERIFY(binary.contains(typeName("10MainWindow")));
    QVERIFY(!binary.contains(typeName("12UpdateDialog")));
    QVERIFY(!binary.contains(typeName("15DownloadManager")));
}

void TestPackage::desktopFilesValidate()
{
    const QString share = root() + QStringLiteral("/usr/share/");
    const Run checked = run(QStringLiteral("sh"), {QStringLiteral(GLIMRA_SOURCE_DIR "/tests/check_linux_files.sh"),
                                                   share + QStringLiteral("applications/%1.desktop").arg(kAppId),
                                                   share + QStringLiteral("metainfo/%1.metainfo.xml").arg(kAppId),
                                                   share + QStringLiteral("man/man1/glimra.1.gz")});
    if (checked.exitCode == 77)
        QSKIP(checked.output.constData());
    QVERIFY2(checked.exitCode == 0, checked.output.constData());
}

void TestPackage::desktopEntryStartsThePackagedCommand()
{
    const QString entry = root() + QStringLiteral("/usr/share/applications/%1.desktop").arg(kAppId);
    QVERIFY(QFile::exists(entry));
    QSettings desktop(entry, QSettings::IniFormat);
    const QString exec = desktop.value(QStringLiteral("Desktop Entry/Exec")).toString().section(QLatin1Char(' '), 0, 0);
    QVERIFY(QFileInfo(root() + QStringLiteral("/usr/bin/") + exec).isExecutable());
}

void TestPackage::entriesNameAnInstalledIcon_data()
{
    QTest::addColumn<bool>("logOn");
    QTest::newRow("menu entry") << false;
    QTest::newRow("log-on entry") << true;
}

void TestPackage::entriesNameAnInstalledIcon()
{
    QFETCH(bool, logOn);
    if (logOn)
        Autostart::write(Autostart::commandFor(program()));
    const QString entry = logOn ? Autostart::desktopFilePath()
                                : root() + QStringLiteral("/usr/share/applications/%1.desktop").arg(kAppId);
    const QString icon = DesktopEntry::value(QString::fromUtf8(readFile(entry)), QStringLiteral("Icon"));
    QVERIFY2(QFile::exists(root() + QStringLiteral("/usr/share/icons/hicolor/256x256/apps/") + icon +
                           QStringLiteral(".png")),
             qPrintable(icon));
}

void TestPackage::iconsHaveTheirSizes_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("size");
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("%d", size) << QStringLiteral("%1x%1").arg(size) << size;
    QTest::newRow("scalable") << QStringLiteral("scalable") << 0;
}

void TestPackage::iconsHaveTheirSizes()
{
    QFETCH(QString, folder);
    QFETCH(int, size);
    const QDir hicolor(root() + QStringLiteral("/usr/share/icons/hicolor"));
    const QString name = hicolor.filePath(folder + QStringLiteral("/apps/") + kAppId);
    if (size == 0) {
        QVERIFY(readFile(name + QStringLiteral(".svg")).contains("<svg"));
        return;
    }
    QImageReader png(name + QStringLiteral(".png"), "png");
    QCOMPARE(png.size(), QSize(size, size));
}

void TestPackage::runsAndQuitsWithoutAskingForUpdates()
{
    UpdateSite site;
    QProcessEnvironment env = m_glimra->environment();
    env.insert(QStringLiteral("GLIMRA_UPDATE_URL"), QString::fromLatin1(qgetenv("GLIMRA_UPDATE_URL")));
    m_glimra->setEnvironment(env);

    QVERIFY(m_glimra->startAndWaitReady());
    // A second start is answered from the event loop, after the start-up's own queued work.
    QCOMPARE(m_glimra->runToEnd(), 0);
    // Nothing shows that no check was made, so any request gets a few seconds to arrive.
    QVERIFY2(!QTest::qWaitFor([&site] { return !site.requests.isEmpty(); }, 5000),
             qPrintable(site.requests.join(QLatin1Char(' '))));
    QCOMPARE(m_glimra->terminate(), 0);
    QVERIFY(!site.server.waitForNewConnection(0));
}

GLIMRA_TEST_MAIN(TestPackage)
#include "test_package.moc"
