#include "RecordPanel.h"

#include "ConsoleHost.h"
#include "StatusRecord.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace zentor::monitor {

RecordPanel::RecordPanel(ConsoleHost& host, QWidget* parent)
    : CaptionedGroup(QStringLiteral("Record"), parent), host_(host), recorder_(host)
{
    record_ = new QPushButton(QStringLiteral("Record..."), this);
    record_->setGeometry(10, kTop + 2, 84, 30);
    record_->setAutoDefault(false);
    record_->setToolTip(QStringLiteral("Record every status read into a CSV file: time, the quantities shown and the raw registers"));
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    stop_->setGeometry(98, kTop + 2, 84, 30);
    stop_->setAutoDefault(false);
    stop_->setToolTip(QStringLiteral("End the recording; the file keeps every row written"));
    state_ = new QLabel(this);
    state_->setGeometry(10, kTop + 40, 172, 18);
    QFont bold = state_->font();
    bold.setBold(true);
    state_->setFont(bold);
    file_ = new QLabel(this);
    file_->setGeometry(10, kTop + 60, 172, 18);
    rows_ = new QLabel(this);
    rows_->setGeometry(10, kTop + 80, 172, 18);
    connect(record_, &QPushButton::clicked, this, &RecordPanel::Record);
    connect(stop_, &QPushButton::clicked, this, &RecordPanel::Stop);
    recorder_.onRow = [this] { rows_->setText(QStringLiteral("Rows: %1").arg(recorder_.rows())); };
    recorder_.onEnded = [this] {
        refresh();
        host_.notifier().message(host_.hostWidget(), QStringLiteral("The recording stopped."), recorder_.error());
    };
    refresh();
}

QString RecordPanel::stateText() const { return state_->text(); }
QString RecordPanel::fileText() const { return file_->toolTip(); }
QString RecordPanel::rowsText() const { return rows_->text(); }

void RecordPanel::Record()
{
    if (recorder_.recording()) return;
    if (record::ControlTypeWord(host_.controlType()).isEmpty()) {
        host_.notifier().message(host_.hostWidget(), QStringLiteral("Select the control type first."),
                                 QStringLiteral("The columns of a recording follow the control type."));
        return;
    }
    // Proposed beside the last recording, named by the date and time.
    QString proposed = record::ProposedRecordName(QDateTime::currentDateTime());
    if (!lastPath_.isEmpty()) proposed = QFileInfo(lastPath_).dir().filePath(proposed);
    const QString path = host_.ChooseSaveFile(host_.hostWidget(), QStringLiteral("Record the status reads"), proposed,
                                              QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return;
    lastPath_ = path;
    if (!recorder_.start(path))
        host_.notifier().message(host_.hostWidget(), QStringLiteral("The recording could not be started."), recorder_.error());
    refresh();
}

void RecordPanel::Stop()
{
    recorder_.stop();
    refresh();
}

void RecordPanel::refresh()
{
    const bool on = recorder_.recording();
    record_->setEnabled(!on);
    stop_->setEnabled(on);
    state_->setText(on ? QStringLiteral("Recording") : QStringLiteral("Not recording"));
    state_->setStyleSheet(on ? QStringLiteral("color: rgb(192, 32, 32)") : QString());
    const QString path = recorder_.path();
    file_->setToolTip(QDir::toNativeSeparators(path));
    file_->setText(path.isEmpty() ? QString()
                                  : file_->fontMetrics().elidedText(QFileInfo(path).fileName(), Qt::ElideMiddle, file_->width()));
    rows_->setText(path.isEmpty() ? QString() : QStringLiteral("Rows: %1").arg(recorder_.rows()));
}

}  // namespace zentor::monitor
