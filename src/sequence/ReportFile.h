#pragma once
// The test report written to a file: a PDF page by page with Qt's own writer, or the CSV or
// JSON text, chosen by the file's extension. A PDF needs a running QGuiApplication.

#include "TestReport.h"

#include <QByteArray>
#include <QString>

namespace zentor {

// The report as a PDF document.
QByteArray ReportPdf(const TestReport& report);

// Writes the report by the file's extension, .pdf, .csv or .json (any case), whole or not at
// all. False with the reason when the extension is none of them or the file could not be written.
bool WriteReport(const TestReport& report, const QString& path, QString* reason);

}  // namespace zentor
