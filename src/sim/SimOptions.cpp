#include "SimOptions.h"

namespace zentor::sim {

namespace {

struct NumberOption {
    const char* name;
    int min;
    int max;
    int SimOptions::*field;  // or nullptr for a fault field
    int SimFaults::*fault;
};

constexpr NumberOption kNumbers[] = {
    {"--slave", 1, 247, &SimOptions::slave, nullptr},  // 248..255 are reserved by Modbus
    {"--baud", 50, 4'000'000, &SimOptions::baud, nullptr},
    {"--reply-delay", 0, 10'000, &SimOptions::replyDelayMs, nullptr},
    {"--alarm", 1, 0xFFFF, &SimOptions::alarm, nullptr},
    {"--wrong-address", 0, 255, nullptr, &SimFaults::wrongAddress},
    {"--split-gap", 1, 10'000, nullptr, &SimFaults::splitGapMs},
    {"--exception", 1, 255, nullptr, &SimFaults::exceptionCode},
    {"--wrong-function", 1, 255, nullptr, &SimFaults::wrongFunction},
};

}  // namespace

const char* SimUsage()
{
    return "usage: zentor-sim [options]\n"
           "Serves one simulated motor driver (a Modbus RTU slave) on a pseudo terminal and\n"
           "prints the terminal's path as its first line. Ctrl-C or SIGTERM ends it.\n"
           "\n"
           "  --type speed|position  control type of the driver (default speed)\n"
           "  --slave N              slave address, 1..247 (default 100)\n"
           "  --baud N               line speed the answers are paced at (default 115200)\n"
           "  --reply-delay MS       from the end of a request to its answer (default 4)\n"
           "  --link PATH            make PATH a symlink to the terminal while serving\n"
           "  --log                  print a line for every request and every answer: the\n"
           "                         milliseconds since start, rx or tx, the bytes in hex and\n"
           "                         what the driver did\n"
           "  --alarm CODE           start with the alarm CODE (1..65535) raised; it holds\n"
           "                         until the master writes 0 to RunCommand (STOP, LOW)\n"
           "faults, applied to every answer:\n"
           "  --silent               answer nothing\n"
           "  --bad-crc              spoil the last checksum byte\n"
           "  --wrong-address N      answer from address N\n"
           "  --split-gap MS         send each answer as two bursts MS apart\n"
           "  --exception CODE       answer every request with this exception code\n"
           "  --wrong-function CODE  answer with this function code\n"
           "  --help                 show this text\n";
}

SimOptionsParse ParseSimOptions(const QStringList& args)
{
    SimOptionsParse p;
    SimOptions& o = p.options;
    auto fail = [&p](const QString& text) {
        p.ok = false;
        p.error = text;
        return p;
    };
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        QString value;
        bool inlineValue = false;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            value = arg.mid(arg.indexOf(QLatin1Char('=')) + 1);
            arg = arg.left(arg.indexOf(QLatin1Char('=')));
            inlineValue = true;
        }
        auto takeValue = [&](QString& out) {
            if (inlineValue) {
                out = value;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        auto flag = [&](bool& field) {
            if (inlineValue) return false;
            field = true;
            return true;
        };

        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            if (!flag(o.help)) return fail(QStringLiteral("%1 takes no value").arg(arg));
            continue;
        }
        if (arg == QLatin1String("--silent")) {
            if (!flag(o.faults.silent)) return fail(QStringLiteral("%1 takes no value").arg(arg));
            continue;
        }
        if (arg == QLatin1String("--log")) {
            if (!flag(o.log)) return fail(QStringLiteral("%1 takes no value").arg(arg));
            continue;
        }
        if (arg == QLatin1String("--bad-crc")) {
            if (!flag(o.faults.badChecksum)) return fail(QStringLiteral("%1 takes no value").arg(arg));
            continue;
        }
        if (arg == QLatin1String("--type")) {
            QString v;
            if (!takeValue(v)) return fail(QStringLiteral("--type needs speed or position"));
            if (v == QLatin1String("speed")) o.type = SpeedControl;
            else if (v == QLatin1String("position")) o.type = PositionControl;
            else return fail(QStringLiteral("--type must be speed or position, not '%1'").arg(v));
            continue;
        }
        if (arg == QLatin1String("--link")) {
            if (!takeValue(o.link) || o.link.isEmpty()) return fail(QStringLiteral("--link needs a path"));
            continue;
        }
        const NumberOption* number = nullptr;
        for (const NumberOption& n : kNumbers)
            if (arg == QLatin1String(n.name)) number = &n;
        if (!number) return fail(QStringLiteral("unknown argument '%1'").arg(args[i]));
        QString v;
        if (!takeValue(v)) return fail(QStringLiteral("%1 needs a number").arg(arg));
        bool ok = false;
        const long long n = v.toLongLong(&ok, 10);
        if (!ok || n < number->min || n > number->max)
            return fail(QStringLiteral("%1 must be a number from %2 to %3, not '%4'").arg(arg).arg(number->min).arg(number->max).arg(v));
        if (number->field) o.*(number->field) = static_cast<int>(n);
        else o.faults.*(number->fault) = static_cast<int>(n);
    }
    p.ok = true;
    return p;
}

}  // namespace zentor::sim
