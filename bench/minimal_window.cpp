// The yardstick for start-up and memory figures: the least a Qt Widgets program with a window
// like Glimra's (three lists) costs on this machine.
#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    auto *layout = new QHBoxLayout(&window);
    for (int i = 0; i < 3; ++i)
        layout->addWidget(new QListWidget(&window));
    window.show();
    return app.exec();
}
