// nimbar-tc: NIST ITS-90 thermocouple conversions from the command line, computed exactly as
// the logger converts a channel. Exit status: 0 done, 1 bad input, 2 wrong usage.

#include "processing/Thermocouple.h"
#include "processing/ThermocoupleTables.h"

#include "ProgramIdentity.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

using namespace nimbar;

namespace {

constexpr int kExitInput = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] = "Usage: nimbar-tc emf TYPE TEMP_C\n"
                          "  or:  nimbar-tc temp TYPE EMF_MV [REF_TEMP_C]\n"
                          "  or:  nimbar-tc --help | --version\n";

constexpr char kHelp[] =
    "\n"
    "NIST ITS-90 thermocouple conversions, computed as the logger converts a channel.\n"
    "\n"
    "  emf   EMF in mV of a TYPE thermocouple whose measuring junction is at TEMP_C,\n"
    "        against a reference junction at 0 C.\n"
    "  temp  Temperature in C of a TYPE thermocouple that reads EMF_MV while its reference\n"
    "        junction is at REF_TEMP_C (default 0): the reference junction's EMF is added to\n"
    "        EMF_MV before the inverse function is applied.\n"
    "\n"
    "TYPE is one of B, E, J, K, N, R, S, T. The result is printed as one number with six\n"
    "decimals.\n"
    "\n"
    "Exit status: 0 done; 1 unknown type, a value outside the type's range or an argument that\n"
    "is not a number (one line on standard error); 2 wrong usage.\n";

// Six decimals; a negative value that rounds to zero prints as 0.000000.
void printResult(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::puts(std::strcmp(text, "-0.000000") == 0 ? text + 1 : text);
}

int usageError() {
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

int inputError(const std::string& message) {
    std::fprintf(stderr, "nimbar-tc: %s\n", message.c_str());
    return kExitInput;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A finite decimal number, the whole argument; a leading '+' is allowed.
std::optional<double> parseNumber(const char* text) {
    const char* begin = text;
    if (*begin == '+' && begin[1] != '-')
        ++begin;
    const char* end = text + std::strlen(text);
    double value = 0;
    const auto [rest, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || rest != end || begin == end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

const TcTypeTables* parseType(const char* text) {
    if (std::strlen(text) != 1)
        return nullptr;
    return tcTablesOf(static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))));
}

std::string typeError(const char* text) {
    return "unknown thermocouple type '" + std::string(text) +
           "' (expected one of B, E, J, K, N, R, S, T)";
}

std::string rangeText(const TcFunction& function, const char* unit) {
    return "(" + number(function.lower) + " .. " + number(function.upper()) + " " + unit + ")";
}

int emfCommand(const char* typeText, const char* tempText) {
    const TcTypeTables* tables = parseType(typeText);
    if (!tables)
        return inputError(typeError(typeText));
    const auto temp = parseNumber(tempText);
    if (!temp)
        return inputError("temperature '" + std::string(tempText) + "' is not a number");
    const double emf = TcTempToEmf(tables->letter, *temp);
    if (emf == TcError)
        return inputError(number(*temp) + " C is outside the range of type " + tables->letter +
                          " " + rangeText(tables->reference, "C"));
    printResult(emf);
    return 0;
}

int tempCommand(const char* typeText, const char* emfText, const char* refText) {
    const TcTypeTables* tables = parseType(typeText);
    if (!tables)
        return inputError(typeError(typeText));
    const auto emf = parseNumber(emfText);
    if (!emf)
        return inputError("EMF '" + std::string(emfText) + "' is not a number");
    const auto ref = parseNumber(refText);
    if (!ref)
        return inputError("reference temperature '" + std::string(refText) + "' is not a number");

    const double refEmf = TcTempToEmf(tables->letter, *ref);
    if (refEmf == TcError)
        return inputError("reference temperature " + number(*ref) +
                          " C is outside the range of type " + tables->letter + " " +
                          rangeText(tables->reference, "C"));
    const double temp = TcEmfToTemp(tables->letter, *emf, refEmf);
    if (temp == TcError)
        return inputError(number(*emf) + " mV + " + number(refEmf) + " mV (reference at " +
                          number(*ref) + " C) is outside the range of type " + tables->letter +
                          " " + rangeText(tables->inverse, "mV"));
    printResult(temp);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("nimbar-tc Ver %s\n", kProgramVersion);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "emf") == 0)
        return emfCommand(argv[2], argv[3]);
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "temp") == 0)
        return tempCommand(argv[2], argv[3], argc == 5 ? argv[4] : "0");
    return usageError();
}
