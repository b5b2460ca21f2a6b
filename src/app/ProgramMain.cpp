#include "app/ProgramMain.h"

#include "app/CommandLineHelp.h"
#include "app/DesktopIdentity.h"
#include "app/HeadlessProgram.h"
#include "app/Listeners.h"
#include "app/NimbarApplication.h"
#include "app/ServiceNotifier.h"
#include "app/TerminationSignals.h"
#include "settings/ProgramPaths.h"
#include "ui/main/TForm1.h"

#include <cstdio>

namespace nimbar {

namespace {

int runWindow(BuildKind kind, const ProgramOptions& options, int argc, char** argv) {
    NimbarApplication application(argc, argv);
    const QString name = programName(kind);
    // No display name: the platform would append it to the window title, which already names
    // the program.
    application.setApplicationName(name);
    application.setDesktopFileName(desktopEntryName(kind));
    application.setWindowIcon(programIcon(kind));

    ProgramPaths paths(kind, ProgramPaths::homeDirectory(kind, options.home));
    application.setExceptionLog(ExceptionLog(paths.exceptionLog()));

    TForm1 window(kind, paths);
    QString error;
    if (!startListeners(window.liveFeed(), options, paths, window, error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
        return 2;
    }
    if (options.connectHost)
        window.connectAtStart(*options.connectHost);
    ServiceNotifier service(window.engine());
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, [&] {
        service.stopping();
        window.shutdownWithoutConfirmation();
    });
    window.show();
    return application.exec();
}

} // namespace

int runProgram(BuildKind kind, int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto answer = commandLineAnswer(kind, arguments)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    // Read before any application object exists: a wrong option is said even where there is
    // no display for one.
    const QString name = programName(kind);
    const ProgramOptions options = programOptions(kind, arguments);
    QString error = options.error;
    if (error.isEmpty() && options.home)
        error = ProgramPaths::makeHome(ProgramPaths::homeDirectory(kind, options.home));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(name), qPrintable(error),
                     qPrintable(name));
        return 2;
    }
    TerminationSignals::block(); // before any thread exists, so that every thread inherits it
    return options.headless ? runHeadless(kind, options, argc, argv)
                            : runWindow(kind, options, argc, argv);
}

} // namespace nimbar
