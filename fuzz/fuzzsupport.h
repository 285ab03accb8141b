#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <cstddef>
#include <cstdint>

class MessageItem;

// Aborts with the failed condition, so that libFuzzer records the input and the replay fails.
#define FUZZ_CHECK(condition) ((condition) ? void(0) : fuzzCheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] void fuzzCheckFailed(const char *condition, const char *file, int line);

// The input without a copy; valid only during the call.
QByteArray fuzzBytes(const uint8_t *data, size_t size);

// Same tree shape and check states; texts are not compared.
bool sameShape(const QList<MessageItem *> &a, const QList<MessageItem *> &b);
// No node below the third level: category, subcategory, message.
bool atMostThreeLevels(const QList<MessageItem *> &items, int level = 1);
// Writes `categories` as the program saves its library, reads that back and checks that nothing
// of the tree or the checked pictures is lost and that saving again gives the same bytes.
void checkSavedLibraryReadsBack(const QList<MessageItem *> &categories, const QStringList &checkedImages);
