#include <QCoreApplication>
#include <QFile>

// Placeholder until the library writer lands: writes an empty file.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QFile out(QString::fromLocal8Bit(argv[2]));
    return out.open(QIODevice::WriteOnly) ? 0 : 1;
}
