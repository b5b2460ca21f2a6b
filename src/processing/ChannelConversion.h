#pragma once

#include <optional>

namespace nimbar {

// The fixed reference temperature of the "Cold Junction Temperature" group: "Use" ticked and the
// value in C. One setting for all boards; the caller reads it at each conversion.
struct FixedReference {
    bool use = false;
    double tempC = 0.0;
};

// The final value of a channel from its millivolts (CodeToMillivolts), or nothing when it cannot
// be converted. boardLetter is the TypeLetters entry at the board's tcType, typeCode the
// channel's type code.
// - A 'V' board, or type code 0 ('V') or 7 ('H'), or a code outside TypeLetters: a linear
//   channel, the value is mv.
// - Otherwise a thermocouple of letter TypeLetters[typeCode], compensated in the EMF domain to
//   the reference temperature: the fixed one when it is used, else refTemp, the board's
//   reference-junction temperature for this line (nothing when it could not be derived). A
//   reference or an EMF outside the type's range gives nothing; so does 'Z', which has no table.
std::optional<double> ConvertChannel(char boardLetter, int typeCode, double mv,
                                     std::optional<double> refTemp, const FixedReference& fixedRef);

} // namespace nimbar
