#include "updatemanifest.h"

#include <QStringList>

namespace {

// '/' and '\\' separate folders, ':' names a drive or (NTFS) a stream.
bool hasSeparatorOrControl(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// One path segment of the URL: '?', '#' and '%' are data, not syntax.
QString urlSegment(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString versionString(const int v[4])
{
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

} // namespace

UpdateManifest::Result UpdateManifest::evaluate(const QString &ini, const QString &baseUrl,
                                                const VersionReader &readLocalVersion, bool requireDigest)
{
    Result result;
    // Set once per manifest: a short version on a later line inherits the earlier line's tail.
    int offered[4] = {0, 0, 0, 0};

    const QStringList lines = ini.split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char('='));
        if (fields.size() < 2)
            continue;
        const QString &name = fields.at(0);
        const QString &versionText = fields.at(1);
        if (!isPlainFileName(name) || !isVersionText(versionText, requireDigest))
            continue;

        UpdateEntry entry;
        if (requireDigest) {
            if (fields.size() < 4)
                continue;
            entry.sha256 = parseSha256(fields.at(2));
            entry.size = parseSize(fields.at(3));
            if (entry.sha256.isEmpty() || entry.size < 0)
                continue;
        }
        if (!applyVersionText(versionText, offered))
            continue;

        int local[4] = {0, 0, 0, 0};
        if (!readLocalVersion(name, local))
            continue;
        result.hasVersions = true;
        result.currentVersion = versionString(local);
        result.offeredVersion = versionText;

        if (!isNewer(offered, local))
            continue;
        entry.fileName = name;
        entry.versionText = versionText;
        entry.localVersion = result.currentVersion;
        entry.url = QUrl(baseUrl + urlSegment(versionText) + QLatin1Char('/') + urlSegment(name), QUrl::TolerantMode);
        result.updates.append(entry);
    }
    return result;
}

bool UpdateManifest::isPlainFileName(const QString &name)
{
    // A leading dot also rules out "." and "..".
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !hasSeparatorOrControl(name);
}

bool UpdateManifest::isVersionText(const QString &text, bool digitsOnly)
{
    bool hasOtherThanDots = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('.'))
            continue;
        if (digitsOnly && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return false;
        hasOtherThanDots = true;
    }
    // "." and ".." would name the folder itself or its parent.
    return hasOtherThanDots && !hasSeparatorOrControl(text);
}

bool UpdateManifest::applyVersionText(const QString &text, int version[4])
{
    const QStringList pieces = text.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (pieces.size() > 4)
        return false;
    for (int i = 0; i < pieces.size(); ++i)
        version[i] = pieces.at(i).toInt(); // not a number: 0
    return true;
}

bool UpdateManifest::isNewer(const int offered[4], const int local[4])
{
    for (int i = 0; i < 4; ++i) {
        if (offered[i] != local[i])
            return offered[i] > local[i];
    }
    return false;
}

QByteArray UpdateManifest::parseSha256(const QString &hex)
{
    if (hex.size() != 64)
        return QByteArray();
    for (const QChar c : hex) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return QByteArray();
    }
    return QByteArray::fromHex(hex.toLatin1());
}

qint64 UpdateManifest::parseSize(const QString &text)
{
    if (text.isEmpty())
        return -1;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    bool ok = false;
    const qint64 size = text.toLongLong(&ok);
    return ok ? size : -1;
}
