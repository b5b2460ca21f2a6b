#include "app/ProgramMain.h"

#include "app/CommandLineHelp.h"
#include "app/DesktopIdentity.h"
#include "app/Listeners.h"
#include "app/NimbarApplication.h"
#include "app/TerminationSignals.h"
#include "settings/ProgramPaths.h"
#include "ui/main/TForm1.h"

#include <cstdio>

namespace nimbar {

int runProgram(BuildKind kind, int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto answer = commandLineAnswer(kind, arguments)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    TerminationSignals::block(); // before any thread exists, so that every thread inherits it
    NimbarApplication application(argc, argv);
    const QString name = programName(kind);
    // No display name: the platform would append it to the window title, which already names
    // the program.
    application.setApplicationName(name);
    application.setDesktopFileName(desktopEntryName(kind));
    application.setWindowIcon(programIcon(kind));

    // Read after the application object has taken its own options, and before any window.
    const ProgramOptions options = programOptions(kind, application.arguments());
    const QString home = ProgramPaths::homeDirectory(kind, options.home);
    QString error = options.error;
    if (error.isEmpty() && options.home)
        error = ProgramPaths::makeHome(home);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(name), qPrintable(error),
                     qPrintable(name));
        return 2;
    }
    ProgramPaths paths(kind, home);
    application.setExceptionLog(ExceptionLog(paths.exceptionLog()));

    TForm1 window(kind, paths);
    if (!startListeners(window.liveFeed(), options, paths, window, error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
        return 2;
    }
    if (options.connectHost)
        window.connectAtStart(*options.connectHost);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window,
                     &TForm1::shutdownWithoutConfirmation);
    window.show();
    return application.exec();
}

} // namespace nimbar
