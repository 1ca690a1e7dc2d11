#pragma once
// Where zentor-cli's status reads go and in which form: text, JSON lines or CSV rows (the
// console's recording columns, after one header), on standard output or, with --output, into
// a file that only ever holds whole reads.

#include "CliOptions.h"
#include "RecordFile.h"
#include "RegisterMap.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace zentor::cli {

class StatusOutput {
public:
    // out: a line of results on standard output, used when no file is given.
    StatusOutput(const CliOptions& options, std::function<void(const QString&)> out);

    // Creates the file of --output; without one there is nothing to open. False when it cannot
    // be written: error() names the file and the reason.
    bool open();
    // One read, written whole: map holds the layout of the control type and the values read;
    // elapsedMs counts from the first read, startedAt is the wall-clock time of the first read.
    // False when the file could not take it (error() says why); the reads before stay whole.
    bool write(const RegisterMap& map, int64_t elapsedMs, const QDateTime& startedAt);
    QString error() const { return file_.error(); }

private:
    bool put(const QStringList& lines);

    CliOptions options_;
    std::function<void(const QString&)> out_;
    record::RecordFile file_;
    int reads_ = 0;
};

}  // namespace zentor::cli
