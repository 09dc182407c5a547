// Screenshots of the main window (empty, and while converting), the options dialog and the
// feedback window, plus a sheet of the artwork, in the language the locale chooses. Run by
// scripts/screenshots.sh from a copy of the program folder, so the conversion finds its tools and
// writes nowhere else.

#include "common/recordingservices.h"
#include "conversion/conversionrun.h"
#include "filelist/filelist.h"
#include "platform/appdirs.h"
#include "ui/hotlabel.h"
#include "ui/mainwindow.h"
#include "ui/mainwindowcommands.h"
#include "ui/programlook.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Each picture's path is this prefix and its name: "shots/" or "shots/en-".
QString g_pathPrefix;

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits until the condition holds or the time is up.
bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        wait(50);
    }
    return true;
}

void save(QWidget *window, const QString &name)
{
    const QString path = g_pathPrefix + name;
    std::printf("%s: %s\n", qPrintable(path), window->grab().save(path) ? "saved" : "NOT SAVED");
}

// Runs `shoot` on the modal window that `open` shows, then closes that window.
void shootModal(const std::function<void()> &open, const std::function<void(QWidget *)> &shoot)
{
    QTimer::singleShot(700, [shoot] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            std::printf("no modal window appeared\n");
            return;
        }
        shoot(modal);
        modal->close();
    });
    open();
}

void shootFeedback(QWidget *window)
{
    save(window, QStringLiteral("feedback.png"));
    window->findChild<QLineEdit *>(QStringLiteral("nameEdit"))->setText(QStringLiteral("张三"));
    window->findChild<QPushButton *>(QStringLiteral("sendButton"))->click();
    save(window, QStringLiteral("feedback-prompt.png"));
    window->findChild<QLineEdit *>(QStringLiteral("emailEdit"))
        ->setText(QStringLiteral("zhang@example.invalid"));
    window->findChild<QLineEdit *>(QStringLiteral("commentEdit"))
        ->setText(QStringLiteral("转换很快，谢谢！"));
    window->findChild<QPushButton *>(QStringLiteral("sendButton"))->click();
    save(window, QStringLiteral("feedback-sending.png"));
    auto *status = window->findChild<QLabel *>(QStringLiteral("statusLabel"));
    const QString sending = status->text();
    waitFor([status, &sending] { return status->text() != sending; }, 10000);
    save(window, QStringLiteral("feedback-done.png"));
}

void saveArtworkSheet()
{
    const QStringList names = {
        QStringLiteral("tunoxa"),    QStringLiteral("add-file"),   QStringLiteral("add-folder"),
        QStringLiteral("remove"),    QStringLiteral("options"),    QStringLiteral("exit-program"),
        QStringLiteral("start"),     QStringLiteral("feedback"),   QStringLiteral("help-light"),
        QStringLiteral("min-light"), QStringLiteral("exit-light"), QStringLiteral("corner")};
    QImage sheet(names.size() * 120 + 240, 470, QImage::Format_ARGB32);
    sheet.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter painter(&sheet);
    for (int i = 0; i < names.size(); ++i) {
        QSvgRenderer svg(QStringLiteral(TUNOXA_ARTWORK_SOURCE "/%1.svg").arg(names.at(i)));
        const QSize size = svg.defaultSize();
        svg.render(&painter, QRectF(QPointF(i * 120 + 10, 10), size));
        svg.render(&painter, QRectF(QPointF(i * 120 + 10, 130), size * (names.at(i) == u"corner" ? 1 : 3)));
        painter.drawText(QPointF(i * 120 + 10, 120), names.at(i));
    }
    // The corner at three times its size with every highlight lit, to check they sit on their glyphs.
    const QPointF corner((names.size() - 1) * 120 + 10, 130);
    painter.fillRect(QRectF(corner, QSizeF(109, 111) * 3), QColor(0xf0, 0xf0, 0xf0));
    QSvgRenderer(QStringLiteral(TUNOXA_ARTWORK_SOURCE "/corner.svg"))
        .render(&painter, QRectF(corner, QSizeF(109, 111) * 3));
    const struct
    {
        const char *name;
        QRectF zone;
    } lights[] = {
        {"help-light", {61, 8, 15, 15}}, {"min-light", {78, 9, 14, 14}}, {"exit-light", {98, 10, 15, 15}}};
    for (const auto &light : lights) {
        const QRectF zone(corner + light.zone.topLeft() * 3, light.zone.size() * 3);
        QSvgRenderer(QStringLiteral(TUNOXA_ARTWORK_SOURCE "/%1.svg").arg(QLatin1String(light.name)))
            .render(&painter, zone);
    }
    painter.end();
    const QString path = g_pathPrefix + QStringLiteral("artwork.png");
    std::printf("%s: %s\n", qPrintable(path), sheet.save(path) ? "saved" : "NOT SAVED");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <path prefix> <input.flac>...\n", argv[0]);
        return 2;
    }
    g_pathPrefix = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(QFileInfo(g_pathPrefix + QLatin1Char('x')).path());
    applyProgramLook();
    // Message boxes, the finished run's folder and its sound are recorded, not shown or played.
    RecordingServices quiet;

    saveArtworkSheet();

    MainWindow window(AppDirs::programFolder(), quiet);
    window.setProgramEnd([] {});
    window.startUp();
    window.show();
    wait(1000);
    save(&window, QStringLiteral("main-window.png"));

    shootModal([&window] { window.commands()->actions().options->trigger(); },
               [](QWidget *options) { save(options, QStringLiteral("options.png")); });
    shootModal([&window] { emit window.findChild<HotLabel *>(QStringLiteral("feedbackLink"))->clicked(); },
               shootFeedback);

    QList<QByteArray> files;
    for (int i = 2; i < argc; ++i)
        files.append(QByteArray(argv[i]));
    window.addPaths(files);
    wait(300);
    save(&window, QStringLiteral("main-list.png"));
    // The run turns in nested event loops, so the picture is taken from a timer inside them.
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("progressBar"));
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&window, &watch, bar] {
        if (window.conversionRun()->isActive() && bar->value() >= 20) {
            watch.stop();
            save(&window, QStringLiteral("main-converting.png"));
        }
    });
    watch.start(100);
    window.commands()->actions().start->trigger();
    waitFor([&window] { return !window.conversionRun()->isActive(); }, 120000);
    wait(300);
    save(&window, QStringLiteral("main-done.png"));
    return 0;
}
