#pragma once

#include <optional>
#include <string>
#include <vector>

namespace karnsim {

// What the simulated device is and does, from the command line.
struct SimOptions {
    std::string model = "KARN-5610";
    int modelClass = 0;
    std::string link;        // symbolic link to the pseudo-terminal; none if empty
    double rate = 1.0;       // measurement lines a second
    char type = 'K';         // type letter of every channel
    double rangeMv = 78.125; // full scale of the input channels
    std::string serial = "A30000";
    std::string logFile;    // commands received; standard output if empty
    std::string valuesFile; // values behind every line sent; none if empty
    bool faultSplit = false;
    bool faultDouble = false;
    bool faultBadLength = false;
    bool faultGarbage = false;
    long silenceAfter = -1; // lines sent before the device falls silent; -1: never
    std::optional<double> fixedTemp;
    bool demo = false;  // thermocouples drift like a process, within the default alarm limits
    int excursion = -1; // demo: the channel that crosses its high limit now and then; -1: none
    unsigned seed = 1;
    bool help = false;
};

// The options of args (without the program name), or an error text.
struct ParsedOptions {
    SimOptions options;
    std::string error;
};
ParsedOptions parseOptions(const std::vector<std::string>& args);

std::string helpText();

} // namespace karnsim
