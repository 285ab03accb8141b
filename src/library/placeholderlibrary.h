#pragma once

#include <QList>
#include <QString>

class MessageItem;

// The library shown when the user's file cannot be read: ten categories of ten subcategories of
// ten messages, all unchecked, then the custom category. The caller owns the nodes.
struct PlaceholderTexts
{
    QString category;    // %1: category number
    QString subcategory; // %1: subcategory number, %2: category number
    QString message;     // %1: message number, %2: subcategory number, %3: category number
    QString custom;
};

QList<MessageItem *> buildPlaceholderLibrary(const PlaceholderTexts &texts);
