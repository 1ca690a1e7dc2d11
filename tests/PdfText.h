#pragma once
// The text of a report's PDF, by poppler's pdftotext. A Windows test under Wine cannot start
// that Linux program: there the file is still checked to be a whole PDF, and the caller skips
// the reading of its text.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <optional>

namespace zentor::testing {

// Empty when pdftotext cannot be started at all (a failure of pdftotext itself is a text
// that says so, which fails the caller's comparisons).
inline std::optional<QString> PdfText(const QString& path, const QStringList& options = {})
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), QStringList(options) << path << QStringLiteral("-"));
    if (!p.waitForStarted(20000)) return std::nullopt;
    if (!p.waitForFinished(20000) || p.exitCode() != 0) return QStringLiteral("pdftotext failed: ") + p.errorString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// True when the file starts as a PDF and ends with its end-of-file marker.
inline bool IsWholePdf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    return bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF");
}

}  // namespace zentor::testing

// Reads the PDF's text into `var`, or, where pdftotext cannot run, checks the file is a whole
// PDF and skips the rest of the test.
#define ZENTOR_PDF_TEXT(var, path, ...)                                                             \
    QString var;                                                                                    \
    do {                                                                                            \
        const std::optional<QString> text_ = zentor::testing::PdfText(path, ##__VA_ARGS__);        \
        if (!text_) {                                                                               \
            QVERIFY2(zentor::testing::IsWholePdf(path), qPrintable(path));                          \
            QSKIP("pdftotext cannot be started here (a Windows test under Wine); the PDF is whole"); \
        }                                                                                           \
        var = *text_;                                                                               \
    } while (false)
