#pragma once
// A strict reader of CSV text for tests, written apart from the console's writer: fields
// separated by commas, quoted fields with doubled quotes, every line ended by "\n". It fails
// on an unterminated quote, a stray quote or a last line without its end.

#include <QList>
#include <QString>
#include <QStringList>

namespace zentor::testing {

inline bool ReadCsv(const QString& text, QList<QStringList>& rows, QString* problem = nullptr)
{
    rows.clear();
    auto fail = [problem](const QString& why) {
        if (problem) *problem = why;
        return false;
    };
    QStringList row;
    QString field;
    bool quoted = false, inQuotes = false, fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                inQuotes = false;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (fieldStarted) return fail(QStringLiteral("stray quote at %1").arg(i));
            inQuotes = quoted = fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
            quoted = fieldStarted = false;
        } else if (c == QLatin1Char('\n')) {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            quoted = fieldStarted = false;
        } else {
            if (quoted) return fail(QStringLiteral("text after a closing quote at %1").arg(i));
            field += c;
            fieldStarted = true;
        }
    }
    if (inQuotes) return fail(QStringLiteral("unterminated quote"));
    if (fieldStarted || !row.isEmpty()) return fail(QStringLiteral("the last line has no end"));
    return true;
}

}  // namespace zentor::testing
