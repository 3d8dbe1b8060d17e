// The start-up reference: the least a Qt widgets program does to put an
// 800 x 600 window on the screen and render it once.

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(800, 600);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        const QPixmap shot = window.grab();
        QApplication::exit(shot.isNull() ? 1 : 0);
    });
    return QApplication::exec();
}
