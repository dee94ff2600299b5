// The anchor of the start-up benchmark: the least a Qt Widgets tray
// application does. A tray item with a menu and one small frameless window
// above the others, painted once.

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

class Strip : public QWidget
{
public:
    Strip() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    {
        setWindowTitle(QStringLiteral("bare"));
        setAttribute(Qt::WA_TranslucentBackground);
        setGeometry(860, 0, 200, 38);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::black);
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(rect(), 10, 10);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap icon(22, 22);
    icon.fill(Qt::white);
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &application, &QApplication::quit);
    QSystemTrayIcon tray {QIcon(icon)};
    tray.setContextMenu(&menu);
    tray.show();
    Strip strip;
    strip.show();
    return QApplication::exec();
}
