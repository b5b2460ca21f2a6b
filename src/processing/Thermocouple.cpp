#include "processing/Thermocouple.h"

#include "processing/ThermocoupleTables.h"

#include <cmath>
#include <optional>

namespace nimbar {

namespace {

// The piece that serves x: the first whose upper end is >= x, so a value on a boundary belongs
// to the lower piece. Both limits are inclusive; anything outside them, NaN included, gives
// nothing.
std::optional<double> evaluate(const TcFunction& function, double x) {
    if (!(x >= function.lower && x <= function.upper()))
        return std::nullopt;
    for (const TcPolynomial& piece : function.pieces) {
        if (x <= piece.upper)
            return PolyEval(x, piece.coefficients.data(),
                            static_cast<int>(piece.coefficients.size()));
    }
    return std::nullopt; // not reached: the last piece ends at the upper limit
}

} // namespace

double PolyEval(double x, const double* coefficients, int count) {
    double sum = 0.0;
    double power = 1.0;
    for (int i = 0; i < count; ++i) {
        sum += coefficients[i] * power;
        power *= x;
    }
    return sum;
}

double TcTempToEmf(char letter, double tempC) {
    const TcTypeTables* tables = tcTablesOf(letter);
    if (!tables)
        return TcError;
    std::optional<double> emf = evaluate(tables->reference, tempC);
    if (!emf)
        return TcError;
    if (letter == 'K' && tempC > 0.0) {
        const double d = tempC - kTcKExpA2;
        *emf += kTcKExpA0 * std::exp(kTcKExpA1 * d * d);
    }
    return *emf;
}

double TcEmfToTemp(char letter, double emfMv, double refEmfMv) {
    const TcTypeTables* tables = tcTablesOf(letter);
    if (!tables)
        return TcError;
    return evaluate(tables->inverse, emfMv + refEmfMv).value_or(TcError);
}

} // namespace nimbar
