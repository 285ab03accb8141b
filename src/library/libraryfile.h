#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class MessageItem;

// The library file: a 4-byte big-endian length followed by a zlib stream of the library's XML.
// Converts bytes to a category tree plus the checked picture names, and back. Reading trusts
// nothing in the bytes: every allocation is bounded by the data actually present.
class LibraryFile
{
    Q_DECLARE_TR_FUNCTIONS(LibraryFile)

public:
    enum Status
    {
        Ok,
        NoData,     // empty, or the bytes do not decompress to any text
        XmlError,   // the reader stopped on malformed XML
        NoCategory, // well-formed, but without a single CATEGORY
    };

    // A picture tile's file path and whether it is checked.
    using Image = QPair<QString, bool>;

    // Larger declared lengths are treated as corrupt data rather than allocated.
    static constexpr int MaxTextSize = 64 * 1024 * 1024;
    // No real library file comes near this; longer files are read only this far.
    static constexpr qint64 MaxFileSize = 128 * 1024 * 1024;

    LibraryFile() = default;
    ~LibraryFile();
    LibraryFile(const LibraryFile &) = delete;
    LibraryFile &operator=(const LibraryFile &) = delete;

    // Replaces whatever an earlier read left.
    Status read(const QByteArray &bytes);
    Status status() const { return m_status; }
    QString statusText() const;
    QString errorString() const { return m_errorString; }

    // The categories read, also those read before an XML error; owned here until taken.
    const QList<MessageItem *> &categories() const { return m_categories; }
    QList<MessageItem *> takeCategories();
    // NAMEs of the IMAGE elements with a non-zero SELECTED, in file order.
    QStringList checkedImages() const { return m_checkedImages; }

    // The file's bytes; empty when the XML would exceed MaxTextSize, since read() would refuse
    // such a file (saveAtomically() never writes empty bytes, so the old file then stays).
    static QByteArray write(const QList<MessageItem *> &categories, const QList<Image> &images);
    // Compresses the XML and replaces the file with it in one step. XML larger than MaxTextSize,
    // which read() would refuse, is not written: the previous file stays.
    static bool save(const QString &path, const QString &xml, QString *errorString = nullptr);
    // The file's bytes for this XML; empty when the XML is larger than MaxTextSize.
    static QByteArray compressXml(const QString &xml);
    static QString toXml(const QList<MessageItem *> &categories, const QList<Image> &images);

    // The text of the file's zlib stream, or an empty array when there is none that decompresses.
    static QByteArray uncompress(const QByteArray &bytes);
    // All bytes of a file up to MaxFileSize; empty when it cannot be opened.
    static QByteArray readFileBytes(const QString &path);
    // Replaces the file in one step: a failed or interrupted write leaves the old file whole.
    // Empty bytes are refused, as they are never a library (see write()).
    static bool saveAtomically(const QString &path, const QByteArray &bytes, QString *errorString = nullptr);
    // Removes the temporaries that an interrupted save leaves beside the library file
    // ("<name>." followed by exactly six letters or digits; "<name>.legacy" is not one of them).
    // Returns the paths removed.
    static QStringList removeLeftoverTemporaries(const QString &libraryPath);
    // Copies the file to a free name "<path>.unreadable-YYYYMMDD-HHMMSS[-N]"; returns that name,
    // or an empty string when no copy could be made.
    static QString backupUnreadable(const QString &path);

private:
    void clear();
    void parse(const QString &text);

    Status m_status = NoData;
    QString m_errorString;
    QList<MessageItem *> m_categories;
    QStringList m_checkedImages;
};
