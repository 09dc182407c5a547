// The yardstick of the start-up bench: a minimal Qt Widgets program that shows one empty window,
// linked against Qt Widgets only. With the argument "label" the window holds one label with a
// Chinese caption instead, which shows what drawing any such text costs at start.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    if (argc > 1 && qstrcmp(argv[1], "label") == 0)
        (new QLabel(QStringLiteral("拖拽文件到这里开始转换"), &window))->move(10, 10);
    FirstPaint watch(&window);
    app.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
