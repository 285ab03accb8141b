#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <functional>

// One manifest line that names a newer version than the local file.
struct UpdateEntry
{
    QString fileName;     // a plain name in the program's folder; the file is saved under it
    QString versionText;  // as written in the manifest; also the folder on the server
    QUrl url;             // built from the two checked texts above
    QByteArray sha256;    // raw digest from a signed line; empty for unsigned manifests
    qint64 size = -1;     // byte count from a signed line; -1 for unsigned manifests
    QString localVersion; // the local file's version, "a.b.c.d"
};
Q_DECLARE_METATYPE(UpdateEntry)

// Reads update.ini and decides which files are newer than the local ones. Knows nothing about
// the network or widgets: local versions come from the reader it is given.
class UpdateManifest
{
public:
    // Fills the four numbers of a bare file name's local version; false when it has none.
    using VersionReader = std::function<bool(const QString &fileName, int version[4])>;

    struct Result
    {
        QList<UpdateEntry> updates;
        // Texts of the last line whose local version could be read; empty when there was none.
        QString currentVersion;
        QString offeredVersion;
        bool hasVersions = false;
    };

    // `requireDigest`: lines must carry "Name=Version=SHA256=SIZE" with a version of digits and dots;
    // lines that do not are ignored.
    static Result evaluate(const QString &ini, const QString &baseUrl, const VersionReader &readLocalVersion,
                           bool requireDigest = false);

    // A name that stays inside the program's folder on every platform: not empty, no leading dot,
    // no path or drive separator, no control character.
    static bool isPlainFileName(const QString &name);
    // A version text that can be one folder on the server. `digitsOnly` (signed manifests) allows
    // digits and dots only; otherwise any text without a separator. Never dots alone.
    static bool isVersionText(const QString &text, bool digitsOnly);
    // Applies a version text's pieces to `version`, leaving components it does not give untouched.
    // False (and `version` unchanged) when the text has more than four pieces.
    static bool applyVersionText(const QString &text, int version[4]);
    // True when `offered` is newer than `local`: the first differing component decides.
    static bool isNewer(const int offered[4], const int local[4]);
    // The raw digest of 64 hex digits, or an empty array when the text is not one.
    static QByteArray parseSha256(const QString &hex);
    // A decimal byte count, or -1 when the text is not one.
    static qint64 parseSize(const QString &text);
};
