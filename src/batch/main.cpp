// tunoxa-batch: the window's conversions from a terminal, a script or many machines, with no display.

#include "batch/batchjob.h"
#include "batch/batchoptions.h"
#include "batch/batchtexts.h"
#include "batch/batchworkfolder.h"
#include "platform/appdirs.h"
#include "platform/interfacelanguage.h"
#include "platform/productinfo.h"
#include "platform/stopsignals.h"
#include "settings/programsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int refuseWorkFolder(const QString &folder)
{
    print(stderr, BatchTexts::programName() + QStringLiteral(": ") + AppDirs::unusableWorkFolderText() +
                      folder + QLatin1Char('\n'));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    InterfaceLanguage::install(InterfaceLanguage::ofSystem(), AppDirs::programFolder());
#ifdef Q_OS_UNIX
    // A reader that goes away (tunoxa-batch ... | head) must not end the process between a tool's
    // start and the deletion of its half-written file; the lines are simply lost.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const int mostFiles = ProgramSettings::mostSimultaneousFiles();
    QList<QByteArray> arguments;
    for (int k = 1; k < argc; ++k)
        arguments.append(QByteArray(argv[k]));
    const ParsedCommandLine parsed = BatchCommandLine::parse(arguments, QDir::currentPath(), mostFiles);
    if (parsed.helpAsked) {
        print(stdout, BatchCommandLine::usage(mostFiles));
        return 0;
    }
    if (parsed.versionAsked) {
        print(stdout, BatchTexts::programName() + u' ' + ProductInfo::versionNumber() + u'\n');
        return 0;
    }
    if (!parsed.options) {
        print(stderr, BatchTexts::programName() + QStringLiteral(": ") + parsed.error +
                          QStringLiteral("\n\n") + BatchCommandLine::usage(mostFiles));
        return 2;
    }

    const std::optional<QString> workFolder = AppDirs::preparedWorkFolder();
    if (!workFolder)
        return refuseWorkFolder(AppDirs::workFolderPath());
    BatchWorkFolder ownFolder;
    if (!ownFolder.prepare(*workFolder, QCoreApplication::applicationPid()))
        return refuseWorkFolder(BatchWorkFolder::pathFor(*workFolder, QCoreApplication::applicationPid()));

    BatchJob job(*parsed.options, ownFolder.path());
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::received, &job, &BatchJob::stop);
    QObject::connect(&job, &BatchJob::finished, &app, &QCoreApplication::exit);
    // From the event loop, so that a job that ends at once still ends it.
    QTimer::singleShot(0, &job, &BatchJob::start);
    return QCoreApplication::exec();
}
