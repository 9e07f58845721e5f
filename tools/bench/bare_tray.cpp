// The start-up benchmark's baseline: the least a Qt 6 program with one window and one
// notification-area icon does. The window is made but not shown, as a program that starts into
// the tray leaves it.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QWidget window;
    window.resize(1000, 560);
    QPixmap picture(22, 22);
    picture.fill(QColor(0x1F, 0x6F, 0x8B));
    QSystemTrayIcon icon{QIcon(picture)};
    icon.setToolTip(QStringLiteral("bare"));
    icon.show();
    return QApplication::exec();
}
