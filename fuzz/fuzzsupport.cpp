#include "fuzzsupport.h"

#include "library/libraryfile.h"
#include "library/messageitem.h"

#include <cstdio>
#include <cstdlib>

void fuzzCheckFailed(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
}

bool sameShape(const QList<MessageItem *> &a, const QList<MessageItem *> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a.at(i)->checkState() != b.at(i)->checkState() || !sameShape(a.at(i)->children(), b.at(i)->children()))
            return false;
    }
    return true;
}

bool atMostThreeLevels(const QList<MessageItem *> &items, int level)
{
    for (const MessageItem *item : items) {
        if (item->childCount() > 0 && (level >= 3 || !atMostThreeLevels(item->children(), level + 1)))
            return false;
    }
    return true;
}

void checkSavedLibraryReadsBack(const QList<MessageItem *> &categories, const QStringList &checkedImages)
{
    QList<LibraryFile::Image> images;
    for (const QString &name : checkedImages)
        images.append({name, true});
    const QByteArray saved = LibraryFile::write(categories, images);

    LibraryFile reread;
    FUZZ_CHECK(reread.read(saved) == (categories.isEmpty() ? LibraryFile::NoCategory : LibraryFile::Ok));
    FUZZ_CHECK(sameShape(categories, reread.categories()));
    FUZZ_CHECK(reread.checkedImages().size() == checkedImages.size());

    QList<LibraryFile::Image> rereadImages;
    for (const QString &name : reread.checkedImages())
        rereadImages.append({name, true});
    FUZZ_CHECK(LibraryFile::write(reread.categories(), rereadImages) == saved);
}
