#pragma once

#include <span>

namespace nimbar {

// One polynomial of a thermocouple function and the upper end of the interval it serves; the
// interval starts where the previous polynomial's ends (or at the function's lower limit).
struct TcPolynomial {
    double upper;
    std::span<const double> coefficients; // c0 first
};

// A piecewise polynomial function of one thermocouple type, pieces in ascending order; the last
// piece's upper end is the function's upper limit.
struct TcFunction {
    double lower;
    std::span<const TcPolynomial> pieces;

    double upper() const { return pieces.back().upper; }
};

// The NIST ITS-90 functions of one thermocouple type (NIST Monograph 175).
struct TcTypeTables {
    char letter;
    TcFunction reference; // temperature in C -> EMF in mV against 0 C
    TcFunction inverse;   // EMF in mV -> temperature in C
};

// The magnetic-ordering term of type K above 0 C: a0 * exp(a1 * (t - a2)^2).
inline constexpr double kTcKExpA0 = 0.118597600000E+00;
inline constexpr double kTcKExpA1 = -0.118343200000E-03;
inline constexpr double kTcKExpA2 = 0.126968600000E+03;

// The tables of type letter B, E, J, K, N, R, S or T; nullptr for any other character.
const TcTypeTables* tcTablesOf(char letter);

// "BEJKNRST": the letters that have tables.
inline constexpr char kTcLetters[] = "BEJKNRST";

} // namespace nimbar
