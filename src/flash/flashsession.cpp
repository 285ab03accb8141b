#include "flashsession.h"

#include "library/messageitem.h"

namespace FlashSession {

QPixmap loadPicture(const QString &fileName)
{
    return QPixmap(fileName);
}

QList<MessageItem *> checkedMessages(const QList<MessageItem *> &categories)
{
    QList<MessageItem *> messages;
    for (const MessageItem *category : categories) {
        for (const MessageItem *subcategory : category->children()) {
            for (MessageItem *message : subcategory->children()) {
                if (message->isChecked())
                    messages.append(message);
            }
        }
    }
    return messages;
}

QList<MessageItem *> pictureEntries(const QStringList &fileNames, const PictureLoader &load)
{
    QList<MessageItem *> entries;
    entries.reserve(fileNames.size());
    for (const QString &fileName : fileNames) {
        // No parent: the session releases these itself when the next list is built.
        auto *entry = new MessageItem;
        entry->setPixmap(load(fileName));
        entries.append(entry);
    }
    return entries;
}

void shuffle(QList<MessageItem *> &entries, const Draw &draw)
{
    for (int i = entries.size() - 1; i >= 1; --i) {
        const int j = draw() % (i + 1);
        entries.swapItemsAt(i, j);
    }
}

void releasePictures(const QList<MessageItem *> &entries)
{
    for (MessageItem *entry : entries) {
        if (entry->type() == MessageItem::PictureType)
            delete entry;
    }
}

QList<MessageItem *> build(const QList<MessageItem *> &previous, const QList<MessageItem *> &categories,
                           const QStringList &pictureFiles, const PictureLoader &load, const Draw &draw)
{
    releasePictures(previous);
    QList<MessageItem *> entries = checkedMessages(categories);
    entries.append(pictureEntries(pictureFiles, load));
    shuffle(entries, draw);
    return entries;
}

int nextIndex(int current, int size)
{
    const int next = current + 1;
    return next >= size ? 0 : next;
}

} // namespace FlashSession
