#include "StatusOutput.h"

#include "CliFormat.h"
#include "CsvText.h"
#include "StatusRecord.h"

namespace zentor::cli {

StatusOutput::StatusOutput(const CliOptions& options, std::function<void(const QString&)> out)
    : options_(options), out_(std::move(out))
{
}

bool StatusOutput::open() { return options_.output.isEmpty() || file_.open(options_.output); }

bool StatusOutput::write(const RegisterMap& map, int64_t elapsedMs, const QDateTime& startedAt)
{
    QStringList lines;
    if (options_.csv) {
        if (reads_ == 0) {
            // The header goes as a record of its own: a file that fails at the first row still
            // names its columns.
            if (!put({record::CsvLine(record::StatusRecordHeader(options_.type)).chopped(1)})) return false;
        }
        lines << record::CsvLine(record::StatusRecordFields(map, options_.type, startedAt.addMSecs(elapsedMs), elapsedMs))
                     .chopped(1);
    } else if (options_.json) {
        lines << FormatStatusJson(map, options_.type);
    } else {
        if (reads_ > 0) lines << QString();  // a blank line between text reads
        lines << FormatStatusText(map, options_.type);
    }
    ++reads_;
    return put(lines);
}

bool StatusOutput::put(const QStringList& lines)
{
    if (options_.output.isEmpty()) {
        for (const QString& line : lines) out_(line);
        return true;
    }
    QByteArray record;
    for (const QString& line : lines) record += line.toUtf8() + '\n';
    return file_.append(record);
}

}  // namespace zentor::cli
