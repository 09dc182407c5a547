// Build tool: draws an SVG of the artwork into PNG files at the sizes the program shows it at, so
// that a start decodes small pictures instead of drawing vector art before its first paint.
//
// renderartwork [--no-2x] SVG FOLDER NAME WxH...
//   writes FOLDER/NAME-WxH.png for each size, and FOLDER/NAME-WxH@2x.png at twice it for dense
//   screens unless --no-2x is given (the icon theme's sizes need no second drawing)

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    const QList<int> scales =
        arguments.removeAll(QStringLiteral("--no-2x")) == 0 ? QList<int>{1, 2} : QList<int>{1};
    if (arguments.size() < 5) {
        std::fputs("usage: renderartwork [--no-2x] SVG FOLDER NAME WxH...\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "renderartwork: cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    const QDir folder(arguments.at(2));
    for (const QString &size : arguments.mid(4)) {
        const QStringList sides = size.split(QLatin1Char('x'));
        const QSize box(sides.value(0).toInt(), sides.value(1).toInt());
        // The file name says the picture's size, which the program reads without decoding it.
        if (sides.size() != 2 || box.isEmpty() ||
            renderer.defaultSize().scaled(box, Qt::KeepAspectRatio) != box) {
            std::fprintf(stderr, "renderartwork: %s is no size of %s\n", qPrintable(size),
                         qPrintable(arguments.at(1)));
            return 1;
        }
        for (const int scale : scales) {
            QImage picture(box * scale, QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            QPainter painter(&picture);
            renderer.render(&painter);
            painter.end();
            const QString path =
                folder.filePath(arguments.at(3) + QLatin1Char('-') + size +
                                (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png")));
            if (!picture.save(path)) {
                std::fprintf(stderr, "renderartwork: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
