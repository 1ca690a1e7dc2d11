#include "CliOptions.h"

#include "CommandOption.h"
#include "TextNumbers.h"

namespace zentor::cli {

namespace {

const char* kUsage =
    "usage: zentor-cli [options] COMMAND [ARGS] [-- ARGS]\n"
    "\n"
    "A headless Modbus RTU master of one motor driver (8N1, no flow control).\n"
    "\n"
    "commands:\n"
    "  ports                  list the serial ports, one per line\n"
    "  status                 read the status registers of the control type and print them\n"
    "  read REG [COUNT]       read COUNT registers (default 1) from REG; REG + COUNT <= 125\n"
    "  write REG VALUE        write one register (function 06); VALUE -32768..65535\n"
    "  write-position STEPS   write the target position (function 16, high word first);\n"
    "                         needs --type position\n"
    "  id                     ask the driver for its address (read at slave 0) and print it\n"
    "  set-id N               give the driver the address N (1..247); it answers from N\n"
    "  apply                  make the driver take over the settings written before\n"
    "  sequence list [NAME]   the sequences of the configuration file (speed, position,\n"
    "                         user), each item with what it sends, and their totals\n"
    "  sequence run NAME      play the speed or position preset or the user sequence as\n"
    "                         the console's sequence test does, one line per step; the\n"
    "                         control type is the sequence's own\n"
    "\n"
    "options:\n"
    "  --port NAME|PATH       port name (ttyUSB0, COM3) or device path (/dev/pts/5)\n"
    "  --sim                  talk to the embedded simulated driver instead of a port\n"
    "  --type speed|position  control type of the driver (default speed)\n"
    "  --slave N              slave address 0..247 (default 100); 0 makes write,\n"
    "                         write-position, set-id and apply a broadcast, which no\n"
    "                         driver answers, and lets status and read take any answer\n"
    "  --baud N               baud rate (default 115200)\n"
    "  --json                 status: one JSON object per read, role name -> raw value\n"
    "  --every MS             status: read again every MS milliseconds until Ctrl-C; 0\n"
    "                         reads again as soon as an answer has been taken\n"
    "  --count N              status: end after N reads (every 300 ms without --every)\n"
    "  --csv                  status: CSV, a header and one row per read: the time, the\n"
    "                         decoded quantities and the raw registers\n"
    "  --output FILE          status: write the reads to FILE (created or emptied) instead\n"
    "                         of standard output; each read is written whole, and a write\n"
    "                         that fails leaves the reads before it and ends with 6\n"
    "  --help                 this text\n"
    "  --                     the end of the options: what follows are the command and\n"
    "                         its arguments, even when they begin with a dash\n"
    "\n"
    "options of sequence:\n"
    "  --config FILE          read FILE instead of the console's own Zentor_CFG.ini (found\n"
    "                         beside zentor-cli, beside the console of a build tree, or in\n"
    "                         ~/.config/Zentor); zentor-cli never writes it\n"
    "  --json                 run: one JSON object per step\n"
    "  --status-after         run: read the status once after the END and print it\n"
    "  --unit NAME            run: the serial number or name of the driver under test\n"
    "  --report FILE          run: write the test report to FILE, a .pdf, .csv or .json\n"
    "                         file by its extension (also after a run that ended early)\n"
    "\n"
    "A user sequence item's expectations (\"rpm +-5%; current <= 3; alarm = 0\") are judged\n"
    "on a status read at the last tick before the next item; each step line shows them.\n"
    "\n"
    "Numbers are decimal or 0x hexadecimal. An answer whose function and byte count say\n"
    "it is whole is taken after 3.5 characters without new bytes (2 ms above 19200 baud),\n"
    "any other after 60 ms without new bytes; none within 1000 ms of the request is no\n"
    "answer.\n"
    "\n"
    "exit status:\n"
    "  0    done (a repeated status also ends with 0 on Ctrl-C or SIGTERM)\n"
    "  2    bad command line, or a sequence that cannot be read or sent as written\n"
    "  3    the port will not open, a request could not be written, or the port went away\n"
    "  4    no answer\n"
    "  5    bad answer (checksum, address, function, quantity or register mismatch)\n"
    "  6    the results could not be written (standard output, the file of --output, or\n"
    "       the file of sequence run --report)\n"
    "  7    sequence run: a check failed or could not be judged (0 only when every check\n"
    "       passed, or the sequence has none)\n"
    "  130  interrupted before the answer came\n";

constexpr OptionSpec kOptions[] = {
    {"--port", true}, {"--sim", false}, {"--type", true},  {"--slave", true}, {"--baud", true},
    {"--json", false}, {"--every", true}, {"--count", true}, {"--help", false},
    {"--config", true}, {"--status-after", false}, {"--unit", true}, {"--report", true},
    {"--csv", false}, {"--output", true},
};

bool isOptionLike(const QString& a)
{
    // "-5" is a number (a negative value), not an option.
    if (a == QLatin1String("-h")) return true;
    if (a.startsWith(QLatin1String("--"))) return true;
    return a.size() > 1 && a[0] == QLatin1Char('-') && !a[1].isDigit();
}

CliParse fail(const QString& message)
{
    CliParse p;
    p.error = message;
    return p;
}

struct CommandEntry {
    const char* name;
    Command command;
    int minArgs;
    int maxArgs;
};

constexpr CommandEntry kCommands[] = {
    {"ports", Command::Ports, 0, 0},          {"status", Command::Status, 0, 0},
    {"read", Command::Read, 1, 2},            {"write", Command::Write, 2, 2},
    {"write-position", Command::WritePosition, 1, 1}, {"id", Command::Id, 0, 0},
    {"set-id", Command::SetId, 1, 1},         {"apply", Command::Apply, 0, 0},
    {"sequence", Command::SequenceRun, 1, 2},  // list or run, checked below
};

// "list [NAME]" or "run NAME"; the presets bring their control type, which --type may only
// repeat (the user sequence's comes from the file). Returns what is wrong, empty when nothing.
QString parseSequenceCommand(const QStringList& args, CliOptions& o)
{
    const QString verb = args[0];
    const QString name = args.value(1);
    if (verb == QLatin1String("list")) o.command = Command::SequenceList;
    else if (verb != QLatin1String("run")) return QStringLiteral("sequence takes list or run, not %1").arg(verb);
    if (o.command == Command::SequenceRun && name.isEmpty()) return QStringLiteral("sequence run needs speed, position or user");
    if (!name.isEmpty() && name != QLatin1String("speed") && name != QLatin1String("position") && name != QLatin1String("user"))
        return QStringLiteral("the sequence is speed, position or user, not %1").arg(name);
    o.sequence = name;
    if (o.command == Command::SequenceList) return {};
    if (name == QLatin1String("user")) return {};
    const ControlType own = name == QLatin1String("speed") ? SpeedControl : PositionControl;
    if (o.typeGiven && o.type != own)
        return QStringLiteral("--type %1 contradicts the %2 preset, a sequence of %2 control")
            .arg(o.type == SpeedControl ? QStringLiteral("speed") : QStringLiteral("position"), name);
    o.type = own;
    return {};
}

}  // namespace

const char* CliUsage() { return kUsage; }

bool ParseCliNumber(const QString& text, long long min, long long max, long long& value)
{
    return ParseWholeNumber(text, min, max, value);
}

CliParse ParseCliArguments(const QStringList& args)
{
    CliOptions o;
    QStringList positional;
    QString every, count, slave, baud, type;
    bool portGiven = false;

    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !isOptionLike(a)) {
            positional << a;
            continue;
        }
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
            continue;
        }
        const OptionWord word = ReadOption(args, i, kOptions);
        if (!word.option) return fail(word.error);
        const QString& name = word.name;
        const QString& value = word.value;
        if (name == QLatin1String("--port")) {
            if (value.isEmpty()) return fail(QStringLiteral("--port needs a port name or path"));
            o.port = value;
            portGiven = true;
        } else if (name == QLatin1String("--sim")) {
            o.sim = true;
        } else if (name == QLatin1String("--type")) {
            type = value;
        } else if (name == QLatin1String("--slave")) {
            slave = value;
        } else if (name == QLatin1String("--baud")) {
            baud = value;
        } else if (name == QLatin1String("--json")) {
            o.json = true;
        } else if (name == QLatin1String("--every")) {
            every = value;
        } else if (name == QLatin1String("--count")) {
            count = value;
        } else if (name == QLatin1String("--config")) {
            if (value.isEmpty()) return fail(QStringLiteral("--config needs a file"));
            o.configPath = value;
        } else if (name == QLatin1String("--status-after")) {
            o.statusAfter = true;
        } else if (name == QLatin1String("--unit")) {
            o.unit = value;
        } else if (name == QLatin1String("--report")) {
            const QString ext = value.section(QLatin1Char('.'), -1).toLower();
            if (!value.contains(QLatin1Char('.')) ||
                (ext != QLatin1String("pdf") && ext != QLatin1String("csv") && ext != QLatin1String("json")))
                return fail(QStringLiteral("--report needs a FILE.pdf, FILE.csv or FILE.json"));
            o.report = value;
        } else if (name == QLatin1String("--csv")) {
            o.csv = true;
        } else if (name == QLatin1String("--output")) {
            if (value.isEmpty()) return fail(QStringLiteral("--output needs a file"));
            o.output = value;
        }
    }

    CliParse result;
    if (o.help) {
        result.ok = true;
        result.options = o;
        return result;
    }

    long long n = 0;
    if (!type.isNull()) {
        if (type == QLatin1String("speed")) o.type = SpeedControl;
        else if (type == QLatin1String("position")) o.type = PositionControl;
        else return fail(QStringLiteral("--type must be speed or position, not %1").arg(type));
        o.typeGiven = true;
    }
    if (!slave.isNull()) {
        if (!ParseCliNumber(slave, 0, 247, n)) return fail(QStringLiteral("--slave must be 0..247, not %1").arg(slave));
        o.slave = int(n);
    }
    if (!baud.isNull()) {
        if (!ParseCliNumber(baud, 50, 4000000, n)) return fail(QStringLiteral("--baud must be 50..4000000, not %1").arg(baud));
        o.baud = int(n);
    }
    if (!every.isNull()) {
        if (!ParseCliNumber(every, 0, 86400000, n)) return fail(QStringLiteral("--every must be 0..86400000 ms, not %1").arg(every));
        o.everyMs = int(n);
    }
    if (!count.isNull()) {
        if (!ParseCliNumber(count, 1, 1000000000, n)) return fail(QStringLiteral("--count must be a positive number, not %1").arg(count));
        o.count = int(n);
    }

    if (positional.isEmpty()) return fail(QStringLiteral("no command given"));
    const QString name = positional.takeFirst();
    const CommandEntry* command = nullptr;
    for (const CommandEntry& c : kCommands)
        if (name == QLatin1String(c.name)) command = &c;
    if (!command) return fail(QStringLiteral("unknown command %1").arg(name));
    o.command = command->command;
    if (positional.size() < command->minArgs || positional.size() > command->maxArgs)
        return fail(QStringLiteral("wrong number of arguments for %1").arg(name));

    switch (o.command) {
    case Command::Read: {
        if (!ParseCliNumber(positional[0], 0, RegisterImage::kRegisters - 1, n))
            return fail(QStringLiteral("register must be 0..%1, not %2").arg(RegisterImage::kRegisters - 1).arg(positional[0]));
        o.reg = int(n);
        if (positional.size() > 1) {
            if (!ParseCliNumber(positional[1], 1, RegisterImage::kRegisters, n))
                return fail(QStringLiteral("count must be 1..%1, not %2").arg(RegisterImage::kRegisters).arg(positional[1]));
            o.regCount = int(n);
        }
        // The read starts at register 0 like the console's, so the answer fits the image.
        if (o.reg + o.regCount > RegisterImage::kRegisters)
            return fail(QStringLiteral("register + count must be at most %1").arg(RegisterImage::kRegisters));
        break;
    }
    case Command::Write:
        if (!ParseCliNumber(positional[0], 0, 0xFFFF, n))
            return fail(QStringLiteral("register must be 0..65535, not %1").arg(positional[0]));
        o.reg = int(n);
        if (!ParseCliNumber(positional[1], -32768, 65535, n))
            return fail(QStringLiteral("value must be -32768..65535, not %1").arg(positional[1]));
        o.value = static_cast<uint16_t>(n & 0xFFFF);
        break;
    case Command::WritePosition:
        if (!ParseCliNumber(positional[0], INT32_MIN, INT32_MAX, n))
            return fail(QStringLiteral("steps must be a signed 32-bit number, not %1").arg(positional[0]));
        o.steps = static_cast<int32_t>(n);
        if (o.type != PositionControl) return fail(QStringLiteral("write-position needs --type position"));
        break;
    case Command::SetId:
        if (!ParseCliNumber(positional[0], 1, 247, n))
            return fail(QStringLiteral("new address must be 1..247, not %1").arg(positional[0]));
        o.newAddress = int(n);
        break;
    case Command::SequenceRun:
        if (const QString error = parseSequenceCommand(positional, o); !error.isEmpty()) return fail(error);
        break;
    default:
        break;
    }

    if (o.command != Command::Status && ((o.json && o.command != Command::SequenceRun) || o.everyMs >= 0 || o.count > 0))
        return fail(QStringLiteral("--json, --every and --count are for status only (--json also for sequence run)"));
    if (!o.configPath.isNull() && o.command != Command::SequenceList && o.command != Command::SequenceRun)
        return fail(QStringLiteral("--config is for sequence only"));
    if (o.statusAfter && o.command != Command::SequenceRun)
        return fail(QStringLiteral("--status-after is for sequence run only"));
    if ((!o.unit.isNull() || !o.report.isEmpty()) && o.command != Command::SequenceRun)
        return fail(QStringLiteral("--unit and --report are for sequence run only"));
    if (o.command != Command::Status && (o.csv || !o.output.isEmpty()))
        return fail(QStringLiteral("--csv and --output are for status only"));
    if (o.csv && o.json) return fail(QStringLiteral("--csv and --json exclude each other"));
    if (o.sim && portGiven) return fail(QStringLiteral("--sim and --port exclude each other"));
    if (o.command != Command::Ports && o.command != Command::SequenceList && !o.sim && !portGiven)
        return fail(QStringLiteral("no port given: --port NAME|PATH or --sim"));

    result.ok = true;
    result.options = o;
    return result;
}

}  // namespace zentor::cli
