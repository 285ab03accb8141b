#include "library/libraryfile.h"
#include "library/messageitem.h"
#include "library/outlineparser.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

// Build-time generator of the default library: reads the readable outline and writes the
// library file the program ships as a resource. Every entry is unchecked; there are no pictures.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: glimra-mkdefault OUTLINE.txt OUTPUT.dat\n";
        return 2;
    }
    QFile outline(QString::fromLocal8Bit(argv[1]));
    if (!outline.open(QIODevice::ReadOnly)) {
        err << "cannot read " << outline.fileName() << ": " << outline.errorString() << '\n';
        return 1;
    }
    const QList<MessageItem *> categories = OutlineParser::createItems(OutlineParser::parse(outline.readAll()));
    if (categories.isEmpty()) {
        err << "no category in " << outline.fileName() << '\n';
        return 1;
    }
    const QByteArray bytes = LibraryFile::write(categories, {});
    qDeleteAll(categories);

    const QString target = QString::fromLocal8Bit(argv[2]);
    if (!LibraryFile::saveAtomically(target, bytes)) {
        err << "cannot write " << target << '\n';
        return 1;
    }
    return 0;
}
