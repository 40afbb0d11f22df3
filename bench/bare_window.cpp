#include <QApplication>
#include <QWidget>

// An empty top-level window, shown and left idle.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(480, 23);
    window.show();
    return QApplication::exec();
}
