#pragma once
// One "--name", "--name=value" or "--name value" of a program's command line, read against the
// program's table of options: the console and zentor-cli read theirs alike.

#include <QString>
#include <QStringList>
#include <span>

namespace zentor {

struct OptionSpec {
    const char* name;
    bool takesValue;
};

struct OptionWord {
    const OptionSpec* option = nullptr;  // null: error says why
    QString name;
    QString value;
    QString error;
};

// Reads the option at args[i]; i moves past a value given as the next argument.
inline OptionWord ReadOption(const QStringList& args, qsizetype& i, std::span<const OptionSpec> table)
{
    OptionWord w;
    const QString& a = args[i];
    w.name = a;
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const bool inlineValue = eq > 0;
    if (inlineValue) {
        w.name = a.left(eq);
        w.value = a.mid(eq + 1);
    }
    const OptionSpec* known = nullptr;
    for (const OptionSpec& entry : table)
        if (w.name == QLatin1String(entry.name)) known = &entry;
    if (!known) {
        w.error = QStringLiteral("unknown option %1").arg(w.name);
    } else if (known->takesValue && !inlineValue) {
        if (i + 1 >= args.size()) w.error = QStringLiteral("%1 needs a value").arg(w.name);
        else w.value = args[++i];
    } else if (!known->takesValue && inlineValue) {
        w.error = QStringLiteral("%1 takes no value").arg(w.name);
    }
    if (w.error.isEmpty()) w.option = known;
    return w;
}

}  // namespace zentor
