#include "extra_updatefixture.h"

#include "app/versionstamp.h"
#include "glimraprocess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>

namespace UpdateFixture {

QByteArray stampedBytes(const QString &version, const QByteArray &payload)
{
    int v[4] = {0, 0, 0, 0};
    const QStringList pieces = version.split(QLatin1Char('.'));
    for (int i = 0; i < 4 && i < pieces.size(); ++i)
        v[i] = pieces.at(i).toInt();
    return payload + VersionStamp::make(v) + payload;
}

QByteArray patchedExecutable(const QString &version)
{
    QByteArray program = readFile(GlimraProcess::builtExecutable());
    const QByteArray marker = VersionStamp::marker();
    const int at = program.indexOf(marker);
    if (at < 0)
        return QByteArray();
    const QByteArray stamp = stampedBytes(version, QByteArray()).mid(marker.size());
    program.replace(at + marker.size(), stamp.size(), stamp);
    return program;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString sitePath(const QString &relative)
{
    return QStringLiteral("/updates/linux/") + relative;
}

} // namespace UpdateFixture

UpdateSite::UpdateSite()
{
    m_listening = server.listen();
    qputenv("GLIMRA_UPDATE_URL", server.url(UpdateFixture::sitePath(QString())).toUtf8());
}

UpdateSite::~UpdateSite()
{
    qunsetenv("GLIMRA_UPDATE_URL");
}

void UpdateSite::serveManifest(const QByteArray &manifest)
{
    server.serve(UpdateFixture::sitePath(QStringLiteral("update.ini")), manifest);
}

void UpdateSite::serveFile(const QString &version, const QString &name, const QByteArray &bytes)
{
    server.serve(UpdateFixture::sitePath(version + QLatin1Char('/') + name), bytes);
}

int UpdateSite::requestCount(const QString &relative) const
{
    return server.requestCount(UpdateFixture::sitePath(relative));
}
