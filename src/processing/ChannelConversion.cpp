#include "processing/ChannelConversion.h"

#include "processing/Thermocouple.h"
#include "settings/BoardConfig.h"

#include <cmath>

namespace nimbar {

std::optional<double> ConvertChannel(char boardLetter, int typeCode, double mv,
                                     std::optional<double> refTemp,
                                     const FixedReference& fixedRef) {
    if (!std::isfinite(mv))
        return std::nullopt;
    const bool linear = boardLetter == 'V' || typeCode == 0 || typeCode == kTypePerChannel ||
                        typeCode < 0 || typeCode >= kTypeCodeCount;
    if (linear)
        return mv;

    const char letter = kTypeLetters[typeCode];
    const std::optional<double> reference = fixedRef.use ? fixedRef.tempC : refTemp;
    if (!reference)
        return std::nullopt;
    const double refEmf = TcTempToEmf(letter, *reference);
    if (refEmf == TcError)
        return std::nullopt;
    const double temp = TcEmfToTemp(letter, mv, refEmf);
    if (temp == TcError || !std::isfinite(temp))
        return std::nullopt;
    return temp;
}

} // namespace nimbar
