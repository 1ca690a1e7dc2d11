#include "ConsoleOptions.h"

#include "CommandOption.h"
#include "TextNumbers.h"

#include <QFileInfo>
#include <climits>

namespace zentor {

namespace {

const char* kUsage =
    "usage: zentor [--simulator] [--print-messages] [--quit-after MS] [--config FILE]\n"
    "  --simulator       list two simulated drivers (SIM-SPEED, SIM-POSITION) among the ports;\n"
    "                    F8 or the window's context menu pulls one out or plugs it back in\n"
    "  --print-messages  print message texts on standard output instead of showing boxes\n"
    "  --quit-after MS   end the console after MS milliseconds (1..2147483647, for test rigs)\n"
    "  --config FILE     the configuration file to use instead of Zentor_CFG.ini beside the\n"
    "                    program (or in the user's configuration folder)\n";

constexpr OptionSpec kOptions[] = {
    {"--simulator", false}, {"--print-messages", false}, {"--quit-after", true}, {"--config", true}, {"--help", false},
};

ConsoleOptionsParse fail(const QString& message)
{
    ConsoleOptionsParse p;
    p.error = message;
    return p;
}

}  // namespace

const char* ConsoleUsage() { return kUsage; }

ConsoleOptionsParse ParseConsoleOptions(const QStringList& args)
{
    ConsoleOptions o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("-h")) {
            o.help = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            if (a.startsWith(QLatin1Char('-'))) return fail(QStringLiteral("unknown option %1").arg(a));
            return fail(QStringLiteral("unexpected argument %1").arg(a));
        }
        const OptionWord word = ReadOption(args, i, kOptions);
        if (!word.option) return fail(word.error);
        const QString& name = word.name;
        const QString& value = word.value;
        if (word.option->takesValue && value.isEmpty())
            return fail(name == QLatin1String("--config") ? QStringLiteral("--config needs a file")
                                                           : QStringLiteral("%1 needs a value").arg(name));
        if (name == QLatin1String("--simulator")) {
            o.simulator = true;
        } else if (name == QLatin1String("--print-messages")) {
            o.printMessages = true;
        } else if (name == QLatin1String("--help")) {
            o.help = true;
        } else if (name == QLatin1String("--quit-after")) {
            // 0 or a number the timer cannot hold would leave a rig waiting for ever.
            long long ms = 0;
            if (!ParseWholeNumber(value, 1, INT_MAX, ms))
                return fail(QStringLiteral("--quit-after must be 1..%1 ms, not %2").arg(INT_MAX).arg(value));
            o.quitAfterMs = int(ms);
        } else if (name == QLatin1String("--config")) {
            o.configPath = QFileInfo(value).absoluteFilePath();
        }
    }
    ConsoleOptionsParse p;
    p.ok = true;
    p.options = o;
    return p;
}

}  // namespace zentor
