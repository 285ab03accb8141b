#include "libraryfile.h"

#include "core/atomicfile.h"
#include "core/freename.h"
#include "messageitem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtEndian>

#include <zlib.h>

namespace {

const QString kGroups = QStringLiteral("GROUPS");
const QString kCategory = QStringLiteral("CATEGORY");
const QString kSubcategory = QStringLiteral("SUBCATEGORY");
const QString kMessage = QStringLiteral("MESSAGE");
const QString kImage = QStringLiteral("IMAGE");
const QString kName = QStringLiteral("NAME");
const QString kText = QStringLiteral("TEXT");
const QString kSelected = QStringLiteral("SELECTED");

// Output is produced in slices of this size, so memory follows what the stream really holds.
constexpr int kInflateChunk = 64 * 1024;

bool isSelected(const QXmlStreamAttributes &attributes)
{
    bool ok = false;
    const int value = attributes.value(kSelected).toInt(&ok, 10);
    return ok && value != 0;
}

MessageItem *newNode(const QXmlStreamAttributes &attributes, const QString &textAttribute)
{
    auto *node = new MessageItem;
    node->setText(attributes.value(textAttribute).toString());
    node->setChecked(isSelected(attributes));
    return node;
}

bool isXmlChar(uint ucs)
{
    return ucs == 0x9 || ucs == 0xA || ucs == 0xD || (ucs >= 0x20 && ucs <= 0xD7FF) ||
           (ucs >= 0xE000 && ucs <= 0xFFFD) || (ucs >= 0x10000 && ucs <= 0x10FFFF);
}

// Characters XML cannot carry (control characters, stray surrogates) would make the whole file
// unreadable at the next start; they are left out instead.
QString xmlSafe(const QString &text)
{
    QString safe;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            safe += c;
            safe += text.at(++i);
        } else if (!c.isSurrogate() && isXmlChar(c.unicode())) {
            safe += c;
        }
    }
    return safe.size() == size ? text : safe;
}

void writeNode(QXmlStreamWriter &writer, const QString &element, const QString &textAttribute, const QString &text,
               bool checked)
{
    writer.writeStartElement(element);
    writer.writeAttribute(textAttribute, xmlSafe(text));
    writer.writeAttribute(kSelected, checked ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace

LibraryFile::~LibraryFile()
{
    clear();
}

void LibraryFile::clear()
{
    qDeleteAll(m_categories);
    m_categories.clear();
    m_checkedImages.clear();
    m_errorString.clear();
    m_status = NoData;
}

QList<MessageItem *> LibraryFile::takeCategories()
{
    QList<MessageItem *> taken;
    taken.swap(m_categories);
    return taken;
}

LibraryFile::Status LibraryFile::read(const QByteArray &bytes)
{
    clear();
    const QByteArray raw = uncompress(bytes);
    const int nul = raw.indexOf('\0');
    const QString text = QString::fromUtf8(raw.constData(), nul < 0 ? raw.size() : nul);
    if (text.isEmpty()) {
        m_status = NoData;
        return m_status;
    }
    parse(text);
    return m_status;
}

void LibraryFile::parse(const QString &text)
{
    QXmlStreamReader reader(text);
    MessageItem *category = nullptr;
    MessageItem *subcategory = nullptr;
    // Elements are taken by name wherever they stand; a new category keeps the current
    // subcategory, so stray messages join the last subcategory read.
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringRef name = reader.name();
        const QXmlStreamAttributes attributes = reader.attributes();
        if (name == kCategory) {
            category = newNode(attributes, kName);
            m_categories.append(category);
        } else if (name == kSubcategory) {
            if (!category)
                continue;
            subcategory = newNode(attributes, kName);
            category->addChild(subcategory);
        } else if (name == kMessage) {
            if (subcategory)
                subcategory->addChild(newNode(attributes, kText));
        } else if (name == kImage) {
            if (isSelected(attributes))
                m_checkedImages.append(attributes.value(kName).toString());
        }
    }
    if (reader.hasError()) {
        m_status = XmlError;
        m_errorString = QStringLiteral("%1 at line %2, column %3")
                            .arg(reader.errorString())
                            .arg(reader.lineNumber())
                            .arg(reader.columnNumber());
    } else {
        m_status = m_categories.isEmpty() ? NoCategory : Ok;
    }
}

QString LibraryFile::statusText() const
{
    switch (m_status) {
    case Ok:
        return QStringLiteral("readable");
    case NoData:
        return QStringLiteral("empty or not decompressable");
    case XmlError:
        return QStringLiteral("XML error: ") + m_errorString;
    case NoCategory:
        return QStringLiteral("no category");
    }
    return QString();
}

QString LibraryFile::toXml(const QList<MessageItem *> &categories, const QList<Image> &images)
{
    // Written into a QString, the declaration carries no encoding attribute.
    QString xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(4);
    writer.writeStartDocument();
    writer.writeStartElement(kGroups);
    for (const MessageItem *category : categories) {
        writeNode(writer, kCategory, kName, category->text(), category->isChecked());
        for (const MessageItem *subcategory : category->children()) {
            writeNode(writer, kSubcategory, kName, subcategory->text(), subcategory->isChecked());
            for (const MessageItem *message : subcategory->children()) {
                writeNode(writer, kMessage, kText, message->text(), message->isChecked());
                writer.writeEndElement();
            }
            writer.writeEndElement();
        }
        writer.writeEndElement();
    }
    for (const Image &image : images) {
        writeNode(writer, kImage, kName, image.first, image.second);
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

QByteArray LibraryFile::write(const QList<MessageItem *> &categories, const QList<Image> &images)
{
    return compressXml(toXml(categories, images));
}

QByteArray LibraryFile::compressXml(const QString &xml)
{
    const QByteArray text = xml.toUtf8();
    if (text.size() > MaxTextSize)
        return QByteArray();
    return qCompress(text, -1);
}

bool LibraryFile::save(const QString &path, const QString &xml, QString *errorString)
{
    const QByteArray bytes = compressXml(xml);
    if (bytes.isEmpty()) {
        if (errorString)
            *errorString = tr("The library is larger than %1 MiB.").arg(MaxTextSize / (1024 * 1024));
        return false;
    }
    return saveAtomically(path, bytes, errorString);
}

QByteArray LibraryFile::uncompress(const QByteArray &bytes)
{
    if (bytes.size() <= 4)
        return QByteArray();
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const quint32 declared = qFromBigEndian<quint32>(data);
    if (declared > quint32(MaxTextSize))
        return QByteArray();

    z_stream stream = {};
    stream.next_in = const_cast<Bytef *>(data + 4);
    stream.avail_in = uInt(bytes.size() - 4);
    if (inflateInit(&stream) != Z_OK)
        return QByteArray();

    // One byte beyond the declared length is room enough to notice a stream that inflates past it.
    const qint64 limit = qint64(declared) + 1;
    QByteArray out;
    int result = Z_OK;
    while (result == Z_OK && out.size() < limit) {
        const int before = out.size();
        const int chunk = int(qMin<qint64>(limit - before, kInflateChunk));
        out.resize(before + chunk);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        stream.avail_out = uInt(chunk);
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + chunk - int(stream.avail_out));
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END || out.size() > qint64(declared))
        return QByteArray();
    return out;
}

QByteArray LibraryFile::readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(qMin(file.size(), MaxFileSize));
}

bool LibraryFile::saveAtomically(const QString &path, const QByteArray &bytes, QString *errorString)
{
    if (bytes.isEmpty()) {
        if (errorString)
            *errorString = QStringLiteral("Nothing to write: the library is too large or empty");
        return false;
    }
    return writeFileAtomically(path, bytes, errorString);
}

QStringList LibraryFile::removeLeftoverTemporaries(const QString &libraryPath)
{
    // QSaveFile names its temporary "<name>." plus six random letters or digits; the legacy copy
    // kept by the migration happens to fit that pattern too.
    static const QRegularExpression suffix(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    const QFileInfo library(libraryPath);
    const QString name = library.fileName();
    QDir folder = library.absoluteDir();
    QStringList removed;
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &entry : entries) {
        const QString rest = entry.mid(name.size());
        if (!entry.startsWith(name) || !suffix.match(rest).hasMatch() ||
            rest.compare(QLatin1String(".legacy"), Qt::CaseInsensitive) == 0)
            continue;
        if (folder.remove(entry))
            removed << folder.filePath(entry);
    }
    return removed;
}

QString LibraryFile::backupUnreadable(const QString &path)
{
    const QString base = path + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString candidate =
        firstFreeName([&base](int n) { return n == 1 ? base : base + QLatin1Char('-') + QString::number(n); }, 1, 1000);
    // QFile::copy never replaces an existing file.
    return !candidate.isEmpty() && QFile::copy(path, candidate) ? candidate : QString();
}
