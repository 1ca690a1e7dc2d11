#include "ReportFile.h"

#include "WholeFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace zentor {

QByteArray ReportPdf(const TestReport& report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(300);
        pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        pdf.setTitle(kReportTitle);
        pdf.setCreator(QStringLiteral("Zentor console ") + report.version);
        QPainter p(&pdf);
        const QRect page = p.viewport();
        QFont title(QStringLiteral("Helvetica"));
        title.setPointSize(16);
        title.setBold(true);
        QFont body(QStringLiteral("Helvetica"));
        body.setPointSize(9);
        QFont verdict(QStringLiteral("Helvetica"));
        verdict.setPointSize(28);
        verdict.setBold(true);

        int y = 0;
        auto line = [&](const QString& text, const QFont& font) {
            p.setFont(font);
            const QFontMetrics m(font, &pdf);
            // Long lines wrap; a line that would not fit on this page starts the next one.
            const QRect need = m.boundingRect(QRect(0, 0, page.width(), 100000), Qt::TextWordWrap, text);
            if (y > 0 && y + need.height() > page.height()) {
                pdf.newPage();
                y = 0;
            }
            p.drawText(QRect(0, y, page.width(), need.height()), Qt::TextWordWrap, text);
            y += need.height() + m.leading();
        };
        line(kReportTitle, title);
        for (const QString& text : ReportLines(report)) line(text.isEmpty() ? QStringLiteral(" ") : text, body);
        line(QStringLiteral(" "), body);
        line(QStringLiteral("Verdict: ") + report.record.verdict(), verdict);
    }
    return buffer.data();
}

bool WriteReport(const TestReport& report, const QString& path, QString* reason)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    if (ext == QLatin1String("pdf")) {
        bytes = ReportPdf(report);
    } else if (ext == QLatin1String("csv")) {
        bytes = ReportCsv(report).toUtf8();
    } else if (ext == QLatin1String("json")) {
        bytes = ReportJson(report).toUtf8();
    } else {
        if (reason) *reason = QStringLiteral("%1: a report is a .pdf, .csv or .json file").arg(path);
        return false;
    }
    return WriteWholeFile(path, bytes, reason);
}

}  // namespace zentor
