#include "outlineparser.h"

#include "messageitem.h"

#include <QStringList>

OutlineParser::Level OutlineParser::levelOf(const QString &line)
{
    const QChar tab(QLatin1Char('\t'));
    if (!line.startsWith(tab))
        return Category;
    return line.size() > 1 && line.at(1) == tab ? Message : Subcategory;
}

QString OutlineParser::cleaned(const QString &line)
{
    QString text = line;
    text.remove(QLatin1Char('\t'));
    return text.trimmed();
}

QVector<OutlineParser::Line> OutlineParser::lines(const QByteArray &content)
{
    const int nul = content.indexOf('\0');
    const QString text = QString::fromUtf8(content.constData(), nul < 0 ? content.size() : nul);
    // Only CR LF separates lines; a lone LF stays part of its line.
    const QStringList raw = text.split(QStringLiteral("\r\n"), Qt::KeepEmptyParts);
    QVector<Line> result;
    for (const QString &line : raw) {
        const QString clean = cleaned(line);
        if (!clean.isEmpty())
            result.append({levelOf(line), clean});
    }
    return result;
}

QVector<OutlineParser::Node> OutlineParser::parse(const QByteArray &content)
{
    QVector<Node> categories;
    int category = -1;
    // The subcategory created last, as (category, row); it outlives later category lines.
    int subcategoryOwner = -1;
    int subcategory = -1;
    for (const Line &line : lines(content)) {
        switch (line.level) {
        case Category:
            categories.append(Node{line.text, {}});
            category = categories.size() - 1;
            break;
        case Subcategory:
            if (category < 0)
                break;
            categories[category].children.append(Node{line.text, {}});
            subcategoryOwner = category;
            subcategory = categories[category].children.size() - 1;
            break;
        case Message:
            if (subcategoryOwner < 0)
                break;
            categories[subcategoryOwner].children[subcategory].children.append(Node{line.text, {}});
            break;
        }
    }
    return categories;
}

QList<MessageItem *> OutlineParser::createItems(const QVector<Node> &nodes)
{
    QList<MessageItem *> items;
    for (const Node &node : nodes) {
        auto *item = new MessageItem;
        item->setText(node.text);
        item->children() = createItems(node.children);
        items.append(item);
    }
    return items;
}
