#include "fuzzsupport.h"
#include "fuzztargets.h"

#include "library/messageitem.h"
#include "library/outlineparser.h"

namespace {

bool isCleanText(const QString &text)
{
    return !text.isEmpty() && !text.contains(QLatin1Char('\t')) && text == text.trimmed();
}

// The items mirror the nodes: same texts and shape, nothing checked.
bool mirrors(const QList<MessageItem *> &items, const QVector<OutlineParser::Node> &nodes)
{
    if (items.size() != nodes.size())
        return false;
    for (int i = 0; i < items.size(); ++i) {
        const MessageItem *item = items.at(i);
        if (item->text() != nodes.at(i).text || item->isChecked() || !mirrors(item->children(), nodes.at(i).children))
            return false;
    }
    return true;
}

int countNodes(const QVector<OutlineParser::Node> &nodes)
{
    int count = 0;
    for (const OutlineParser::Node &node : nodes) {
        FUZZ_CHECK(isCleanText(node.text));
        count += 1 + countNodes(node.children);
    }
    return count;
}

} // namespace

int fuzzOutline(const uint8_t *data, size_t size)
{
    const QByteArray content = fuzzBytes(data, size);
    const QVector<OutlineParser::Line> lines = OutlineParser::lines(content);
    for (const OutlineParser::Line &line : lines)
        FUZZ_CHECK(isCleanText(line.text));

    const QVector<OutlineParser::Node> nodes = OutlineParser::parse(content);
    // Lines may be dropped, never invented.
    FUZZ_CHECK(countNodes(nodes) <= lines.size());

    const QList<MessageItem *> items = OutlineParser::createItems(nodes);
    FUZZ_CHECK(mirrors(items, nodes));
    FUZZ_CHECK(atMostThreeLevels(items));
    // An imported outline becomes the library that is saved at quit.
    if (!items.isEmpty())
        checkSavedLibraryReadsBack(items, {});
    qDeleteAll(items);
    return 0;
}
