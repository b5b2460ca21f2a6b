#pragma once

namespace nimbar {

// Returned by the thermocouple conversions for an unknown type or an input outside the
// type's range; callers compare for exact equality.
inline constexpr double TcError = -0.123456;

// Sum of coefficients[i] * x^i, i = 0 .. count - 1, the power carried by repeated multiplication.
double PolyEval(double x, const double* coefficients, int count);

// Both conversions are split into the published sub-ranges: a value on a boundary belongs to
// the lower one, and both limits of a type are inclusive; NaN is outside every range.

// EMF in mV of a thermocouple of type letter (B, E, J, K, N, R, S, T) at tempC against 0 C
// (NIST ITS-90 reference functions), or TcError.
double TcTempToEmf(char letter, double tempC);

// Temperature in C for the EMF sum emfMv + refEmfMv (NIST ITS-90 inverse functions), or TcError.
double TcEmfToTemp(char letter, double emfMv, double refEmfMv);

} // namespace nimbar
