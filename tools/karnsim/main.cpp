// karnsim: a KARN data logger on a pseudo-terminal, for tests and demonstrations.

#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "Simulator.h"

#include "ProgramIdentity.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Set by the termination signals; the poll loop ends when it is.
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

void installSignals() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: poll returns at once
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

std::FILE* openAppend(const std::string& path) {
    return std::fopen(path.c_str(), "a");
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--version") != args.end()) {
        std::printf("karnsim Ver %s\n", nimbar::kProgramVersion);
        return 0;
    }
    const karnsim::ParsedOptions parsed = karnsim::parseOptions(args);
    if (parsed.options.help) {
        std::fputs(karnsim::helpText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "karnsim: %s (see --help)\n", parsed.error.c_str());
        return 2;
    }
    const karnsim::SimOptions& options = parsed.options;

    std::FILE* log = stdout;
    if (!options.logFile.empty() && !(log = openAppend(options.logFile))) {
        std::perror(options.logFile.c_str());
        return 1;
    }
    std::FILE* values = nullptr;
    if (!options.valuesFile.empty() && !(values = openAppend(options.valuesFile))) {
        std::perror(options.valuesFile.c_str());
        return 1;
    }

    installSignals();
    int status = 0;
    {
        karnsim::PseudoTerminal port;
        const std::string error = port.open(options.link);
        if (!error.empty()) {
            std::fprintf(stderr, "karnsim: %s\n", error.c_str());
            status = 1;
        } else {
            std::fprintf(stderr, "karnsim: %s on %s%s%s\n", options.model.c_str(),
                         port.portPath().c_str(), options.link.empty() ? "" : " linked at ",
                         options.link.c_str());
            karnsim::Simulator(options, port, log, values).run(stopRequested);
        }
    }
    if (values)
        std::fclose(values);
    if (log != stdout)
        std::fclose(log);
    return status;
}
