#include "SimOptions.h"

#include "settings/ModelClass.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace karnsim {

namespace {

bool toDouble(const std::string& text, double& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool toLong(const std::string& text, long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool rangeInTable(int modelClass, double rangeMv) {
    for (double r : nimbar::rangeTableOf(modelClass)) {
        if (r == rangeMv)
            return true;
    }
    return false;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    SimOptions& o = parsed.options;
    auto fail = [&parsed](const std::string& text) {
        parsed.error = text;
        return parsed;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (i + 1 >= args.size())
            return fail("unknown option or missing value: " + a);
        const std::string& v = args[++i];
        if (a == "--model") {
            o.model = v;
        } else if (a == "--link") {
            o.link = v;
        } else if (a == "--rate") {
            if (!toDouble(v, o.rate) || o.rate <= 0.0 || o.rate > 1000.0)
                return fail("--rate needs a number of lines a second above 0, at most 1000");
        } else if (a == "--type") {
            if (v.size() != 1 || !std::strchr("VKRJSTB", v[0]))
                return fail("--type needs one of V K R J S T B");
            o.type = v[0];
        } else if (a == "--range-mv") {
            if (!toDouble(v, o.rangeMv))
                return fail("--range-mv needs a number");
        } else if (a == "--serial") {
            o.serial = v;
        } else if (a == "--log") {
            o.logFile = v;
        } else if (a == "--values-file") {
            o.valuesFile = v;
        } else if (a == "--fault") {
            if (v == "split")
                o.faultSplit = true;
            else if (v == "double")
                o.faultDouble = true;
            else if (v == "badlength")
                o.faultBadLength = true;
            else if (v == "garbage")
                o.faultGarbage = true;
            else
                return fail("--fault needs split, double, badlength or garbage");
        } else if (a == "--silence-after") {
            if (!toLong(v, o.silenceAfter) || o.silenceAfter < 0)
                return fail("--silence-after needs a count of lines");
        } else if (a == "--fixed-temp") {
            double t = 0.0;
            if (!toDouble(v, t))
                return fail("--fixed-temp needs a temperature in C");
            o.fixedTemp = t;
        } else if (a == "--profile") {
            if (v != "wave" && v != "demo")
                return fail("--profile needs wave or demo");
            o.demo = v == "demo";
        } else if (a == "--excursion") {
            long ch = 0;
            if (!toLong(v, ch) || ch < 1 || ch > 8)
                return fail("--excursion needs a channel 1..8");
            o.excursion = static_cast<int>(ch);
        } else if (a == "--seed") {
            long s = 0;
            if (!toLong(v, s) || s < 0)
                return fail("--seed needs a number");
            o.seed = static_cast<unsigned>(s);
        } else {
            return fail("unknown option: " + a);
        }
    }
    const auto modelClass = nimbar::modelClassOf(QByteArrayView(o.model.data(), o.model.size()));
    if (!modelClass)
        return fail("--model needs KARN-5600, KARN-5610, KARN-5400 or KARN-5800");
    o.modelClass = *modelClass;
    if (!rangeInTable(o.modelClass, o.rangeMv))
        return fail("--range-mv is not a range of this model");
    if (o.excursion >= nimbar::channelCountOf(o.modelClass))
        return fail("--excursion names a channel this model does not have");
    if (o.excursion > 0 && !o.demo)
        return fail("--excursion needs --profile demo");
    if (o.serial.empty() || o.serial.find_first_of(" \t\r\nSME") != std::string::npos)
        return fail("--serial must be one word without the letters S, M and E");
    return parsed;
}

std::string helpText() {
    return R"(Usage: karnsim [options]
Simulates a KARN data logger on a pseudo-terminal.

  --model NAME        KARN-5600, KARN-5610 (default), KARN-5400 or KARN-5800
  --link PATH         make PATH a symbolic link to the device (removed on exit)
  --rate R            measurement lines a second after "DK" (default 1; fractions allowed)
  --type L            type letter of every channel: V K R J S T B (default K)
  --range-mv MV       full scale of the input channels, a range of the model (default 78.125)
  --serial TEXT       serial number of the configuration report (default A30000)
  --log FILE          append each command received, one a line (default: standard output)
  --values-file FILE  append for every line sent: unix time, CH0 .. CHn, the line's fields
  --fault KIND        split: each line in two writes 50 ms apart; double: two lines in one
                      write; badlength: every other line one byte short; garbage: a line of
                      random bytes between the lines. May be given more than once.
  --silence-after N   fall silent after N measurement lines
  --fixed-temp C      every thermocouple channel at C instead of drifting
  --profile NAME      wave (default): thermocouples swing between 20 and 150 C;
                      demo: each warms and cools slowly with a little noise between 25 and
                      90 C, inside the logger's default alarm limits (-20 and 100 C)
  --excursion CH      with --profile demo: channel CH rises above 100 C for about 20 s every
                      4 minutes, first after one minute
  --seed N            seed of the garbage bytes (default 1)
  --help              this text
  --version           the version

The device starts its lines on "DK\r", answers "DC\r" with its configuration report and takes
"D1\r", "D0\r" and "P<hex>\r" as output commands. Thermocouple channels drift between 20 and
150 C (type B: 600 to 900 C; --profile demo: see above), the reference junction stays near 25 C; channels of type V carry
millivolts. In the values file CH0 is the reference junction in C (the CH0 millivolts for a
KARN-5600/5610 of type V); lines cut short by --fault badlength are written with a leading "#".
)";
}

} // namespace karnsim
