#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cmath>

// An empty top-level window, shown and left idle. Given a rate, it repaints
// itself that many times a second instead: what a Qt window costs on the
// machine for every change it shows, to set the tutor's CPU beside.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(480, 23);
    window.show();

    const double perSecond = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 0.0;
    QTimer repaint;
    if (perSecond > 0.0) {
        repaint.setTimerType(Qt::PreciseTimer);
        repaint.setInterval(int(std::lround(1000.0 / perSecond)));
        QObject::connect(&repaint, &QTimer::timeout, &window, [&window] { window.update(); });
        repaint.start();
    }
    return QApplication::exec();
}
