#include "desktopentry.h"

#include <QStringList>

namespace DesktopEntry {

namespace {

const QString kGroup = QStringLiteral("[Desktop Entry]");

bool isGroupHeader(const QString &line)
{
    return line.startsWith(QLatin1Char('['));
}

// The key of a `Key=Value` line (spaces around `=` do not count); null for lines without `=`.
QString keyOf(const QString &line)
{
    const int equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return QString();
    return line.left(equals).trimmed();
}

// The lines [first, end) of the group's entries; first is -1 when there is no such group.
struct Range
{
    int first = -1;
    int end = -1;
};

Range groupRange(const QStringList &lines)
{
    Range range;
    for (int i = 0; i < lines.size(); ++i) {
        if (!isGroupHeader(lines[i]))
            continue;
        if (range.first >= 0)
            return {range.first, i};
        if (lines[i].trimmed() == kGroup)
            range.first = i + 1;
    }
    if (range.first >= 0)
        range.end = lines.size();
    return range;
}

int lineOfKey(const QStringList &lines, const Range &range, const QString &key)
{
    for (int i = range.first; i >= 0 && i < range.end; ++i) {
        if (keyOf(lines[i]) == key)
            return i;
    }
    return -1;
}

// Desktops read these with GLib, which also takes 1 and 0.
bool isTrue(const QString &value)
{
    return value == QLatin1String("true") || value == QLatin1String("1");
}

bool isFalse(const QString &value)
{
    return value == QLatin1String("false") || value == QLatin1String("0");
}

// The escapes of every string value in the file.
QString escapeString(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

QString execFor(const QString &programPath)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // GLib (GNOME's log-on) looks the program up before it undoes %%, so it would drop an entry
    // whose program path has a percent sign; as an argument of env the path is only expanded.
    if (programPath.contains(QLatin1Char('%')))
        quoted.prepend(QLatin1String("/usr/bin/env "));
    return escapeString(quoted);
}

QString value(const QString &text, const QString &key)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    const int line = lineOfKey(lines, groupRange(lines), key);
    if (line < 0)
        return QString();
    const QString &found = lines[line];
    return found.mid(found.indexOf(QLatin1Char('=')) + 1).trimmed();
}

QString withValue(const QString &text, const QString &key, const QString &value)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    const QString entry = key + QLatin1Char('=') + value;
    Range range = groupRange(lines);
    if (range.first < 0) {
        if (!lines.last().isEmpty())
            lines << QString();
        lines.insert(lines.size() - 1, kGroup);
        range = {lines.size() - 1, lines.size() - 1};
    }
    const int line = lineOfKey(lines, range, key);
    if (line >= 0) {
        lines[line] = entry;
    } else {
        int after = range.end;
        while (after > range.first && lines[after - 1].trimmed().isEmpty())
            --after;
        lines.insert(after, entry);
    }
    return lines.join(QLatin1Char('\n'));
}

bool isSwitchedOff(const QString &text)
{
    return isTrue(value(text, QStringLiteral("Hidden"))) ||
           isFalse(value(text, QStringLiteral("X-GNOME-Autostart-enabled")));
}

} // namespace DesktopEntry
