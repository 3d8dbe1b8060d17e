// The start-up reference: the least a Qt widgets program does to put an
// 800 x 600 window on the screen and render it once.
//   qdl-empty-window              grab and leave
//   qdl-empty-window --save FILE  grab, save as PNG (what --screenshot adds)

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const qsizetype save = args.indexOf(QStringLiteral("--save"));
    const QString file = save > 0 && save + 1 < args.size() ? args[save + 1] : QString();
    QWidget window;
    window.resize(800, 600);
    window.show();
    QTimer::singleShot(0, &window, [&window, file] {
        const QPixmap shot = window.grab();
        const bool ok = !shot.isNull() && (file.isEmpty() || shot.save(file));
        QApplication::exit(ok ? 0 : 1);
    });
    return QApplication::exec();
}
