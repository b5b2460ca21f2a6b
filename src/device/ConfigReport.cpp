#include "device/ConfigReport.h"

#include "settings/ModelClass.h"
#include "settings/RecordText.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace nimbar {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int typeCodeOf(char letter) {
    for (int i = 0; i < kTypeCodeCount; ++i) {
        if (kTypeLetters[i] == letter)
            return i;
    }
    return -1;
}

// Reads fields from a bounded text the way scanf reads them; never looks past the end.
class FieldScanner {
public:
    explicit FieldScanner(QByteArrayView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    void skipBlanks() {
        while (!atEnd() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    // %s: one word of non-blank characters.
    bool word(QByteArray& out) {
        skipBlanks();
        const qsizetype start = m_pos;
        while (!atEnd() && !isBlank(m_text[m_pos]))
            ++m_pos;
        if (m_pos == start)
            return false;
        out = m_text.sliced(start, m_pos - start).toByteArray();
        return true;
    }

    // %d: an optional sign and digits; values beyond int saturate (and are then out of
    // every table).
    bool integer(int& out) {
        skipBlanks();
        bool negative = false;
        if (!atEnd() && (m_text[m_pos] == '+' || m_text[m_pos] == '-'))
            negative = m_text[m_pos++] == '-';
        if (atEnd() || !isDigit(m_text[m_pos]))
            return false;
        long long value = 0;
        while (!atEnd() && isDigit(m_text[m_pos])) {
            value = std::min<long long>(value * 10 + (m_text[m_pos] - '0'), INT_MAX);
            ++m_pos;
        }
        out = static_cast<int>(negative ? -value : value);
        return true;
    }

    // %c after a blank directive: the next non-blank character.
    bool letter(char& out) {
        skipBlanks();
        if (atEnd())
            return false;
        out = m_text[m_pos++];
        return true;
    }

    // %lf: a finite decimal number.
    bool number(double& out) {
        skipBlanks();
        const qsizetype start = m_pos;
        qsizetype p = m_pos;
        bool negative = false;
        if (p < m_text.size() && (m_text[p] == '+' || m_text[p] == '-'))
            negative = m_text[p++] == '-';
        const qsizetype mantissa = p;
        qsizetype digits = 0;
        while (p < m_text.size() && isDigit(m_text[p]))
            ++p, ++digits;
        if (p < m_text.size() && m_text[p] == '.') {
            ++p;
            while (p < m_text.size() && isDigit(m_text[p]))
                ++p, ++digits;
        }
        if (digits == 0)
            return false;
        if (p < m_text.size() && (m_text[p] == 'e' || m_text[p] == 'E')) {
            qsizetype q = p + 1;
            if (q < m_text.size() && (m_text[q] == '+' || m_text[q] == '-'))
                ++q;
            if (q < m_text.size() && isDigit(m_text[q])) {
                while (q < m_text.size() && isDigit(m_text[q]))
                    ++q;
                p = q;
            }
        }
        double value = 0.0;
        const char* first = m_text.data() + mantissa;
        const char* last = m_text.data() + p;
        const auto [ptr, ec] = std::from_chars(first, last, value);
        if (ec != std::errc() || ptr != last || !std::isfinite(value)) {
            m_pos = start;
            return false;
        }
        out = negative ? -value : value;
        m_pos = p;
        return true;
    }

    // A literal character of the pattern, matched exactly.
    bool literal(char c) {
        if (atEnd() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

// The text up to the next CR, or the rest when there is none; moves past the CR.
QByteArrayView nextLine(QByteArrayView text, qsizetype& pos) {
    if (pos >= text.size())
        return {};
    const qsizetype cr = text.indexOf('\r', pos);
    const qsizetype end = cr < 0 ? text.size() : cr;
    const QByteArrayView line = text.sliced(pos, end - pos);
    pos = cr < 0 ? text.size() : cr + 1;
    return line;
}

// A line that holds one number and nothing else but blanks.
bool numberLine(QByteArrayView line, double& out) {
    FieldScanner scanner(line);
    if (!scanner.number(out))
        return false;
    scanner.skipBlanks();
    return scanner.atEnd();
}

// "%lf,%lf,%lf,%lf,%lf,%lf" into values[1..6]; returns how many were read.
int calibrationLine(QByteArrayView line, std::array<double, kChannelCount>& values) {
    FieldScanner scanner(line);
    int read = 0;
    for (int ch = 1; ch <= 6; ++ch) {
        if (ch > 1 && !scanner.literal(','))
            break;
        if (!scanner.number(values[ch]))
            break;
        ++read;
    }
    return read;
}

// The header fields after the model name. Returns the number of fields assigned, or -1 for
// an out-of-table index or unknown letter among them.
int readHeader(QByteArrayView text, int modelClass, ConfigReport& r) {
    FieldScanner scanner(text);
    // Class 0 reports CH0..CH6, classes 1 and 2 CH1..CH(V-1).
    const int first = modelClass == 0 ? 0 : 1;
    const int last = r.channels - 1;
    const auto table = rangeTableOf(modelClass);
    int assigned = 0;

    if (!scanner.word(r.serial))
        return assigned;
    ++assigned;
    if (modelClass != 0) {
        for (int i = 0; i < 2; ++i) {
            int unused = 0;
            if (!scanner.integer(unused))
                return assigned;
            ++assigned;
        }
    }
    for (int ch = first; ch <= last; ++ch) {
        if (!scanner.integer(r.rangeIndex[ch]))
            return assigned;
        if (r.rangeIndex[ch] < 0 || r.rangeIndex[ch] >= static_cast<int>(table.size()))
            return -1;
        ++assigned;
    }
    for (int ch = first; ch <= last; ++ch) {
        if (!scanner.letter(r.letter[ch]))
            return assigned;
        if (typeCodeOf(r.letter[ch]) < 0)
            return -1;
        ++assigned;
    }
    return assigned;
}

ConfigReport failed(ConfigReport r, ConfigReportError error) {
    r.error = error;
    return r;
}

} // namespace

ConfigReport ParseConfigReport(QByteArrayView frame) {
    ConfigReport r;
    const qsizetype mark = frame.indexOf('M');
    if (mark < 0)
        return failed(r, ConfigReportError::NoModelMark);
    const QByteArrayView header = frame.first(mark);
    const QByteArrayView body = frame.sliced(std::min(mark + 2, frame.size()));

    // 'S' and the character after it, then the model name up to its CR.
    qsizetype pos = std::min<qsizetype>(2, header.size());
    r.model = nextLine(header, pos).toByteArray();
    const QByteArrayView rest = header.sliced(pos);
    r.modelClass = modelClassOf(r.model);
    if (!r.modelClass)
        return failed(r, ConfigReportError::UnknownModel);
    const int cls = *r.modelClass;
    r.channels = channelCountOf(cls);

    const int assigned = readHeader(rest, cls, r);
    if (assigned <= 0)
        return failed(r, ConfigReportError::BadHeader);
    if (cls != 0) {
        r.rangeIndex[0] = r.rangeIndex[1];
        r.letter[0] = r.letter[1];
    }

    qsizetype bodyPos = 0;
    for (double* value : {&r.corrA1, &r.corrA0, &r.cjcRefVolts}) {
        if (!numberLine(nextLine(body, bodyPos), *value))
            return failed(r, ConfigReportError::BadNumber);
    }

    const int calibrated = r.channels - 1;
    if (cls == 0) {
        if (body.sliced(bodyPos) == "E")
            return r;
        if (calibrationLine(nextLine(body, bodyPos), r.gainT1) == 0)
            return failed(r, ConfigReportError::NoCalibrationT1);
        if (calibrationLine(nextLine(body, bodyPos), r.offsetT0) == 0)
            return failed(r, ConfigReportError::NoCalibrationT0);
        return r;
    }
    for (auto* values : {&r.gainT1, &r.offsetT0}) {
        for (int ch = 1; ch <= calibrated; ++ch) {
            if (!numberLine(nextLine(body, bodyPos), (*values)[ch]))
                return failed(r, ConfigReportError::BadNumber);
        }
    }
    return r;
}

ConfigReportError ApplyConfigReport(BoardConfig& config, int board, int comPort,
                                    const ConfigReport& report) {
    if (report.error != ConfigReportError::None)
        return report.error;
    if (!report.modelClass || report.channels < 2 || report.channels > kChannelCount)
        return ConfigReportError::BadHeader;
    const int cls = *report.modelClass;
    const auto table = rangeTableOf(cls);
    for (int ch = 0; ch < report.channels; ++ch) {
        if (report.rangeIndex[ch] < 0 || report.rangeIndex[ch] >= static_cast<int>(table.size()) ||
            typeCodeOf(report.letter[ch]) < 0)
            return ConfigReportError::BadHeader;
    }

    setFieldText(config.model, decodeCp949(report.model.constData(),
                                           static_cast<std::size_t>(report.model.size())));
    setFieldText(config.serial, decodeCp949(report.serial.constData(),
                                            static_cast<std::size_t>(report.serial.size())));
    config.boardIndex = board;
    config.comPort = comPort;

    int previousCode = -1;
    bool differ = false;
    for (int ch = 0; ch < report.channels; ++ch) {
        const int code = typeCodeOf(report.letter[ch]);
        config.channelType[ch] = code;
        config.rangeMv[ch] = table[static_cast<std::size_t>(report.rangeIndex[ch])];
        if (ch > 0 && code != previousCode)
            differ = true;
        previousCode = code;
    }
    config.tcType = differ ? kTypePerChannel : config.channelType[0];

    config.corrA1 = report.corrA1;
    config.corrA0 = report.corrA0;
    config.cjcRefVolts = report.cjcRefVolts;
    for (int ch = 1; ch < kChannelCount; ++ch) {
        const bool carried = ch < report.channels;
        config.gainT1[ch] = carried ? report.gainT1[ch] : 1.0;
        config.offsetT0[ch] = carried ? report.offsetT0[ch] : 0.0;
    }
    return ConfigReportError::None;
}

} // namespace nimbar
