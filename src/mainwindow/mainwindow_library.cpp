#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "core/filemanager.h"
#include "library/libraryfile.h"
#include "library/librarysaver.h"
#include "library/messageitem.h"
#include "library/outlineparser.h"
#include "library/placeholderlibrary.h"
#include "thumbnails/qimageviewer.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSignalBlocker>

namespace {
const char kDefaultLibrary[] = "://messages_def.dat";
}

bool MainWindow::loadGroups()
{
    const QString path = FileManager::instance()->messagesPath();
    // The default library is used only while the user has no file at all, even a broken one.
    const bool userFile = QFileInfo::exists(path);
    LibraryFile library;
    library.read(LibraryFile::readFileBytes(userFile ? path : QString::fromLatin1(kDefaultLibrary)));

    for (const QString &name : library.checkedImages())
        imageViewer->setItemSelected(name);

    if (library.status() != LibraryFile::Ok) {
        if (userFile) {
            qDebug() << "Library file" << path << "is unreadable:" << library.statusText();
            preserveUnreadableLibrary(path);
        }
        // Categories read before an XML error are dropped with `library`; the copy keeps them.
        return false;
    }
    categories.append(library.takeCategories());
    return true;
}

bool MainWindow::preserveUnreadableLibrary(const QString &path)
{
    const QString backup = LibraryFile::backupUnreadable(path);
    keepUnreadableLibrary = backup.isEmpty();
    if (keepUnreadableLibrary)
        qDebug() << "Could not copy the unreadable library file" << path << "aside; it will not be replaced";
    else
        qDebug() << "Kept a copy of the unreadable library file" << path << "as" << backup;
    return !keepUnreadableLibrary;
}

void MainWindow::createLibrarySaver()
{
    librarySaver =
        new LibrarySaver([this] { return libraryXml(); },
                         [](const QString &xml, QString *errorString) {
                             return LibraryFile::save(FileManager::instance()->messagesPath(), xml, errorString);
                         },
                         this);
    connect(librarySaver, &LibrarySaver::saved, this, &MainWindow::reportLibrarySaveResult);
    connect(imageViewer, &QImageViewer::contentChanged, this, &MainWindow::libraryChanged);
}

void MainWindow::libraryChanged()
{
    if (librarySaver)
        librarySaver->markChanged();
}

QString MainWindow::libraryXml()
{
    const QString path = FileManager::instance()->messagesPath();
    if (keepUnreadableLibrary && QFileInfo::exists(path) && !preserveUnreadableLibrary(path))
        return QString();
    return LibraryFile::toXml(categories, imageViewer->pictures());
}

void MainWindow::reportLibrarySaveResult(bool ok, const QString &errorString)
{
    if (ok) {
        // A later failure, after the user made room, is worth telling again.
        librarySaveErrorShown = false;
        return;
    }
    qWarning("Could not save the library: %s", qPrintable(errorString));
    if (librarySaveErrorShown)
        return;
    librarySaveErrorShown = true;
    // Not modal: flashing goes on, and the next change or the quit tries again.
    auto *box =
        new QMessageBox(QMessageBox::Warning, tr("Error!"),
                        tr("The library could not be saved to %1:\n%2\n\nThe file keeps its previous "
                           "content. Glimra tries again at the next change and when it quits.")
                            .arg(QDir::toNativeSeparators(FileManager::instance()->messagesPath()), errorString),
                        QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void MainWindow::writeGroups()
{
    QString error;
    if (!librarySaver->saveNow(&error) && !error.isEmpty())
        qWarning("Could not save the library: %s", qPrintable(error));
}

void MainWindow::parseMessagesFromText(QString p_FileName)
{
    QFile file(p_FileName);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    file.close();

    MessageItem *custom = categories.isEmpty() ? nullptr : categories.takeLast();
    if (!custom) {
        custom = new MessageItem;
        custom->setText(tr("Custom messages"));
    }
    // No session runs during start-up, so nothing refers to the replaced nodes any more.
    qDeleteAll(categories);
    categories.clear();

    categories.append(OutlineParser::createItems(OutlineParser::parse(content)));
    categories.append(custom);

    fillCategoryList();
    showCustomRowText();
    // Written at once: an import replaces most of the library.
    writeGroups();
}

void MainWindow::buildPlaceholderLibrary()
{
    categories.append(::buildPlaceholderLibrary(
        {tr("Cat %1"), tr("Subcat %1 from cat %2"), tr("Msg %1 in subcat %2 from cat %3"), tr("Custom messages")}));
}
