#pragma once
// CSV lines as the console writes them: fields separated by commas, a field quoted only when
// it holds a comma, a quote or a line break (quotes doubled inside), each line ended by "\n".

#include <QString>
#include <QStringList>

namespace zentor::record {

QString CsvField(const QString& text);
// The fields joined into one line, with its "\n".
QString CsvLine(const QStringList& fields);

}  // namespace zentor::record
