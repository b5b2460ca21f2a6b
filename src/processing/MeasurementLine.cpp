#include "processing/MeasurementLine.h"

#include "settings/ModelClass.h"

#include <algorithm>
#include <cctype>

namespace nimbar {

namespace {

// The value of a hexadecimal digit; the caller has checked it with isxdigit.
unsigned hexDigitValue(char c) {
    const auto u = static_cast<unsigned char>(c);
    return static_cast<unsigned>(std::isdigit(u) ? u - '0' : std::toupper(u) - 'A' + 10);
}

class Scanner {
public:
    Scanner(const char* text, std::size_t maxLength) : m_text(text), m_end(maxLength) {}

    bool atEnd() const { return m_at >= m_end || m_text[m_at] == '\0'; }
    char peek() const { return atEnd() ? '\0' : m_text[m_at]; }

    void skipSpace() {
        while (!atEnd() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }

    bool literal(char c) {
        if (peek() != c)
            return false;
        ++m_at;
        return true;
    }

    // As the "%X" conversion: blanks, an optional sign-less hexadecimal number; values wider
    // than 32 bits saturate.
    bool hex(std::uint32_t& value) {
        skipSpace();
        std::uint64_t number = 0;
        int digits = 0;
        while (!atEnd() && std::isxdigit(static_cast<unsigned char>(m_text[m_at]))) {
            number =
                std::min<std::uint64_t>(number * 16 + hexDigitValue(m_text[m_at++]), 0xFFFFFFFFULL);
            ++digits;
        }
        if (digits == 0)
            return false;
        value = static_cast<std::uint32_t>(number);
        return true;
    }

private:
    const char* m_text;
    std::size_t m_end;
    std::size_t m_at = 0;
};

constexpr std::uint32_t kNoReading = 0x7FFFFF;

} // namespace

MeasurementCodes parseMeasurementLine(const char* line, std::size_t maxLength, int modelClass) {
    MeasurementCodes codes;
    codes.fill(kNoReading);
    codes[0] = 0;
    Scanner scan(line, maxLength);
    const int fields = channelCountOf(modelClass);
    for (int i = 0; i < fields; ++i) {
        if (i > 0) {
            // ", " in the pattern: the comma, then any amount of white space.
            if (!scan.literal(','))
                break;
        }
        std::uint32_t value = 0;
        if (!scan.hex(value))
            break;
        codes[static_cast<std::size_t>(i)] = value;
    }
    return codes;
}

std::optional<std::uint32_t> referenceField(const char* line, std::size_t maxLength) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        if (i >= maxLength || !std::isxdigit(static_cast<unsigned char>(line[i])))
            return std::nullopt;
        value = value * 16 + hexDigitValue(line[i]);
    }
    return value;
}

QString memoLine(int sampleCount, const QString& shortTime,
                 const std::array<double, kChannelCount>& values, int modelClass) {
    QString line = QString::asprintf("%6d ", sampleCount) + shortTime + ' ';
    const int last = channelCountOf(modelClass) - 1;
    for (int ch = 0; ch <= last; ++ch)
        line += QString::asprintf(ch == last ? "%7.3f " : "%7.2f ",
                                  values[static_cast<std::size_t>(ch)]);
    return line;
}

} // namespace nimbar
