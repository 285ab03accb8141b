#pragma once

#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <functional>

class MessageItem;

// The list of entries a flash session walks through, built without any widget: the checked
// library messages (referred to, owned by the library) and one new entry per checked picture
// (owned by the session), in a shuffled order.
namespace FlashSession {

using PictureLoader = std::function<QPixmap(const QString &fileName)>;
// A non-negative pseudo-random number per call.
using Draw = std::function<int()>;

// Reads a picture file; a file that does not load gives an empty picture.
QPixmap loadPicture(const QString &fileName);

// Messages (third level of the tree) checked by their own state, in tree order; the states of
// categories and subcategories play no part.
QList<MessageItem *> checkedMessages(const QList<MessageItem *> &categories);

// One new parentless picture entry per file name, in the given order.
QList<MessageItem *> pictureEntries(const QStringList &fileNames, const PictureLoader &load);

// Fisher–Yates from the back: for i = size−1 … 1, swap i with draw() mod (i+1).
void shuffle(QList<MessageItem *> &entries, const Draw &draw);

// Deletes the picture entries, which belong to the session; text entries belong to the library.
void releasePictures(const QList<MessageItem *> &entries);

// Releases the previous session's pictures and returns the new, shuffled session list.
QList<MessageItem *> build(const QList<MessageItem *> &previous, const QList<MessageItem *> &categories,
                           const QStringList &pictureFiles, const PictureLoader &load, const Draw &draw);

// Index after `current` in a list of `size` entries, wrapping to the first.
int nextIndex(int current, int size);

} // namespace FlashSession
