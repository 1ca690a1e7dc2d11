// The current graph's context menu: the graph saved as a PNG of its own pixels, its samples as
// CSV; and the file choice the console's windows ask for through ConsoleHost.

#include "ZentorDlg.h"

#include "ChartDraw.h"
#include "GraphExport.h"
#include "WholeFile.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImageWriter>
#include <QMenu>

namespace zentor {

static_assert(ChartSeries::kRingSize == 1024, "one sample time per place of the graph's ring");

QString CZentorDlg::ChooseSaveFile(QWidget* parent, const QString& title, const QString& proposedName,
                                   const QString& filter)
{
    return env_.chooseSaveFile ? env_.chooseSaveFile(parent, title, proposedName, filter) : QString();
}

void CZentorDlg::ShowGraphMenu(const QPoint& at)
{
    auto* menu = new QMenu(chart_);
    menu->setObjectName(QStringLiteral("graphMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Save Graph as PNG..."), this, &CZentorDlg::SaveGraphImage);
    menu->addAction(QStringLiteral("Save Samples as CSV..."), this, &CZentorDlg::SaveGraphSamples);
    menu->popup(chart_->mapToGlobal(at));
}

namespace {

// The file chosen is replaced only by a complete one. Empty on success, else the file and the
// reason.
QString SaveWhole(const QString& path, const QByteArray& bytes)
{
    QString reason;
    if (WriteWholeFile(path, bytes, &reason)) return QString();
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString Stamp() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")); }

}  // namespace

void CZentorDlg::SaveGraphImage()
{
    const QString path = ChooseSaveFile(this, QStringLiteral("Save the current graph"),
                                        QStringLiteral("zentor-current-%1.png").arg(Stamp()),
                                        QStringLiteral("PNG images (*.png)"));
    if (path.isEmpty()) return;
    // The graph's own image: drawn at the screen's device pixel ratio, without the sunken edge.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    const QString failure = writer.write(chart_->Bitmap()) ? SaveWhole(path, png)
                                                           : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), writer.errorString());
    if (!failure.isEmpty()) env_.notifier.message(this, QStringLiteral("The graph could not be saved."), failure);
}

void CZentorDlg::SaveGraphSamples()
{
    const QString path = ChooseSaveFile(this, QStringLiteral("Save the samples of the current graph"),
                                        QStringLiteral("zentor-current-%1.csv").arg(Stamp()),
                                        QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return;
    const QByteArray csv = GraphSamplesCsv(*series_, sampleTimes_);
    const QString failure = SaveWhole(path, csv);
    if (!failure.isEmpty()) env_.notifier.message(this, QStringLiteral("The samples could not be saved."), failure);
}

}  // namespace zentor
