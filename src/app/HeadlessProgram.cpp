#include "app/HeadlessProgram.h"

#include "app/Listeners.h"
#include "app/NimbarCoreApplication.h"
#include "app/ServiceNotifier.h"
#include "app/TerminationSignals.h"
#include "engine/Engine.h"
#include "settings/ProgramPaths.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace nimbar {

namespace {

// One line on standard error, in UTF-8, stamped with the local time: what the journal keeps.
void sayLine(const QString& text) {
    if (text.isEmpty())
        return;
    const QString line =
        QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss ") + text.simplified() + '\n';
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

QString missingSettingsText(const ProgramPaths& paths) {
    const QString name = programName(BuildKind::Logger);
    return QString("%1: there is no settings file %2, so there are no boards to run.\n"
                   "Make one with the window: start %1 without --headless and the same --home,\n"
                   "configure the boards on the pages Config1..Config4 and press OK. Or with\n"
                   "nimbar-config, for example:\n"
                   "  nimbar-config --out %2 --data-dir /srv/karn 0:KARN-5610:3:K\n"
                   "(board 0, a KARN-5610 on COM3, type K; nimbar-config --help tells more).\n")
        .arg(name, paths.settingsFile());
}

} // namespace

int runHeadless(BuildKind kind, const ProgramOptions& options, int argc, char** argv) {
    NimbarCoreApplication application(argc, argv);
    const QString name = programName(kind);
    application.setApplicationName(name);
    const ProgramPaths paths(kind, ProgramPaths::homeDirectory(kind, options.home));

    // Without its records the logger has nothing to run, and the window's first run would save
    // empty ones: it writes nothing and says how to make them.
    if (kind == BuildKind::Logger && !QFileInfo::exists(paths.settingsFile())) {
        std::fputs(missingSettingsText(paths).toUtf8().constData(), stderr);
        return 2;
    }
    application.setExceptionLog(ExceptionLog(paths.exceptionLog()));

    Engine engine(kind, paths);
    QObject::connect(&engine, &Engine::statusShown, &engine, sayLine);
    // A box would wait for OK; here the line is said and the engine goes on.
    QObject::connect(&engine, &Engine::messageShown, &engine, sayLine);
    QString error;
    if (!startListeners(engine.liveFeed(), options, paths, engine, error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
        return 2;
    }
    if (options.connectHost)
        engine.connectAtStart(*options.connectHost);
    ServiceNotifier service(engine);

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &engine, [&] {
        if (engine.shutdownDone())
            return;
        service.stopping();
        bool saved = true;
        try {
            saved = engine.shutdown();
        } catch (const std::exception& failure) {
            engine.exceptionLog().append("Engine", QString::fromLocal8Bit(failure.what()));
        }
        if (!saved)
            sayLine(engine.settingsNotSavedText());
        QCoreApplication::quit();
    });
    // Started from the message loop, as the window's start-up timer does.
    QTimer::singleShot(0, &engine, [&engine] { engine.TimerSTimer(); });
    return application.exec();
}

} // namespace nimbar
