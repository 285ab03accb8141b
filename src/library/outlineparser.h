#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

class MessageItem;

// Reads a plain-text outline of the library: lines separated by CR LF, a leading TAB marks a
// subcategory, two leading TABs a message, anything else a category.
class OutlineParser
{
public:
    enum Level
    {
        Category,
        Subcategory,
        Message
    };

    struct Line
    {
        Level level;
        QString text;
    };

    struct Node
    {
        QString text;
        QVector<Node> children;
    };

    // The level as given by the first two characters of the line as read.
    static Level levelOf(const QString &line);
    // The line without any TAB, trimmed.
    static QString cleaned(const QString &line);
    // The non-empty lines of an outline file's bytes (UTF-8, up to the first NUL).
    static QVector<Line> lines(const QByteArray &content);
    // Categories of the outline. A message joins the subcategory created last, even across a
    // category line; subcategories before any category and messages before any subcategory
    // have no parent and are dropped.
    static QVector<Node> parse(const QByteArray &content);
    // Unchecked, parentless library nodes for the outline's categories; the caller owns them.
    static QList<MessageItem *> createItems(const QVector<Node> &nodes);
};
