// The yardstick of the start-up and memory benches: a minimal Qt Widgets program that shows one
// empty window, linked against Qt Widgets only. With the argument "label" the window holds one
// label with a Chinese caption instead, which shows what drawing any such text costs at start.
// It ends after its first paint, or, with the argument "stay", keeps running until it is killed.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QWidget window;
    if (arguments.contains(QStringLiteral("label")))
        (new QLabel(QStringLiteral("拖拽文件到这里开始转换"), &window))->move(10, 10);
    if (!arguments.contains(QStringLiteral("stay")))
        quitAfterFirstPaint(window);
    window.show();
    return QApplication::exec();
}
