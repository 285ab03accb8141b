#pragma once

#include <QString>

class QImage;

// The user's pictures folder: the name and format a chosen picture is stored under, and the
// scaled copy itself.
class PictureStore
{
public:
    static constexpr int StoredWidth = 200;
    static constexpr int StoredQuality = 80;

    explicit PictureStore(const QString &folder) : m_folder(folder) {}

    // Only a lower-case ".png" keeps the picture lossless; anything else is stored as JPG.
    static bool keepsAsPng(const QString &chosenPath);
    // "<folder>/<base name>_<n>.png" or ".jpg", with the first n from 0 that is free.
    QString targetFor(const QString &chosenPath) const;
    // Stores a copy scaled to StoredWidth; its path, or an empty string when it could not be written.
    QString store(const QString &chosenPath, const QImage &picture) const;

private:
    QString m_folder;
};
