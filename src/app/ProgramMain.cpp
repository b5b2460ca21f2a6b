#include "app/ProgramMain.h"

#include "app/NimbarApplication.h"
#include "app/ProgramPaths.h"
#include "app/TForm1.h"
#include "app/TerminationSignals.h"

namespace nimbar {

int runProgram(BuildKind kind, int argc, char** argv) {
    TerminationSignals::block(); // before any thread exists, so that every thread inherits it
    NimbarApplication application(argc, argv);
    const QString name = programName(kind);
    application.setApplicationName(name);
    application.setApplicationDisplayName(name);

    ProgramPaths paths(kind, ProgramPaths::homeFromArguments(application.arguments()));
    application.setExceptionLog(ExceptionLog(paths.exceptionLog()));

    TForm1 window(kind, paths);
    if (kind == BuildKind::Client) {
        const QStringList arguments = application.arguments();
        const qsizetype at = arguments.indexOf("--connect");
        if (at >= 0 && at + 1 < arguments.size())
            window.connectAtStart(arguments[at + 1]);
    }
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window,
                     &TForm1::shutdownWithoutConfirmation);
    window.show();
    return application.exec();
}

} // namespace nimbar
