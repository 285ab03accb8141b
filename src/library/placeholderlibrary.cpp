#include "placeholderlibrary.h"

#include "messageitem.h"

QList<MessageItem *> buildPlaceholderLibrary(const PlaceholderTexts &texts)
{
    QList<MessageItem *> categories;
    for (int c = 1; c <= 10; ++c) {
        auto *category = new MessageItem;
        category->setText(texts.category.arg(c));
        for (int s = 1; s <= 10; ++s) {
            auto *subcategory = new MessageItem;
            subcategory->setText(texts.subcategory.arg(s).arg(c));
            for (int m = 1; m <= 10; ++m) {
                auto *message = new MessageItem;
                message->setText(texts.message.arg(m).arg(s).arg(c));
                subcategory->addChild(message);
            }
            category->addChild(subcategory);
        }
        categories.append(category);
    }
    auto *custom = new MessageItem;
    custom->setText(texts.custom);
    categories.append(custom);
    return categories;
}
