#include "TrafficWindow.h"

#include "ConsoleHost.h"
#include "CsvText.h"
#include "TrafficDelegate.h"
#include "WholeFile.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace zentor::monitor {

TrafficWindow::TrafficWindow(ConsoleHost& host, QWidget* parent) : QDialog(parent, Qt::Window), host_(host), model_(this)
{
    setWindowTitle(QStringLiteral("Zentor - Traffic"));
    setModal(false);
    resize(1100, 520);

    table_ = new QTableView(this);
    table_->setModel(&model_);
    table_->setItemDelegate(new TrafficDelegate(table_));
    table_->setAccessibleName(QStringLiteral("Frames"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    // Fixed row heights and column widths: nothing is measured per row, so 10,000 rows cost
    // no more to show than a screenful.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* h = table_->horizontalHeader();
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setStretchLastSection(true);
    const int widths[kTrafficColumns] = {80, 36, 380, 290, 160, 100};
    for (int c = 0; c < kTrafficColumns; ++c) table_->setColumnWidth(c, widths[c]);

    pause_ = new QPushButton(QStringLiteral("Pause"), this);
    pause_->setCheckable(true);
    pause_->setToolTip(QStringLiteral("Stop the list from moving; frames are still kept and appear when it goes on"));
    clear_ = new QPushButton(QStringLiteral("Clear"), this);
    clear_->setToolTip(QStringLiteral("Drop every frame kept"));
    copy_ = new QPushButton(QStringLiteral("Copy"), this);
    copy_->setToolTip(QStringLiteral("Copy the selected rows, tab-separated (Ctrl+C)"));
    save_ = new QPushButton(QStringLiteral("Save as CSV..."), this);
    save_->setToolTip(QStringLiteral("Save every frame kept as a CSV file"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {pause_, clear_, copy_, save_, close}) b->setAutoDefault(false);
    status_ = new QLabel(this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {pause_, clear_, copy_, save_}) buttons->addWidget(b);
    buttons->addSpacing(12);
    buttons->addWidget(status_, 1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    connect(pause_, &QPushButton::toggled, this, &TrafficWindow::SetPaused);
    connect(clear_, &QPushButton::clicked, this, &TrafficWindow::Clear);
    connect(copy_, &QPushButton::clicked, this, [this] { Copy(); });
    connect(save_, &QPushButton::clicked, this, &TrafficWindow::Save);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* copyKey = new QShortcut(QKeySequence::Copy, table_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, [this] { Copy(); });

    // The table follows the newest row while it is at its end; scrolled back, it stays put.
    connect(&model_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar* bar = table_->verticalScrollBar();
        followEnd_ = bar->value() >= bar->maximum();
    });
    connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (followEnd_) table_->scrollToBottom();
    });
    refreshStatus();
}

TrafficWindow::~TrafficWindow() { unwatch(); }

void TrafficWindow::Open()
{
    show();
    raise();
    activateWindow();
}

void TrafficWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A minimised window comes back with a spontaneous show: it never stopped watching.
    if (!event->spontaneous()) watch();
}

void TrafficWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous()) unwatch();
}

void TrafficWindow::watch()
{
    if (listener_) return;
    openedAtUs_ = host_.portOpenedAtUs();
    // What came while the window was closed was never seen: the list says so.
    if (model_.keptCount() > 0) {
        TrafficRow gap;
        gap.kind = TrafficRow::Gap;
        model_.append(gap);
        showNow();
    }
    listener_ = host_.AddTrafficListener([this](const TrafficEvent& e) { onTraffic(e); });
    refreshStatus();
}

void TrafficWindow::unwatch()
{
    if (!listener_) return;
    host_.RemoveTrafficListener(listener_);
    listener_ = 0;
}

void TrafficWindow::onTraffic(const TrafficEvent& e)
{
    if (e.kind == TrafficEvent::PortOpened) openedAtUs_ = e.atUs;
    model_.append(MakeTrafficRow(e, openedAtUs_));
    if (e.kind == TrafficEvent::PortClosed) openedAtUs_ = -1;
    showSoon();
}

void TrafficWindow::showSoon()
{
    if (showDue_) return;
    const int64_t since = host_.clock().nowMs() - shownAtMs_;
    if (since >= kRefreshMs) {
        showNow();
        return;
    }
    showDue_ = true;
    host_.clock().callAfter(kRefreshMs - since, this, [this] {
        showDue_ = false;
        showNow();
    });
}

void TrafficWindow::showNow()
{
    shownAtMs_ = host_.clock().nowMs();
    model_.showNew();
    refreshStatus();
}

void TrafficWindow::SetPaused(bool paused)
{
    if (pause_->isChecked() != paused) pause_->setChecked(paused);  // comes back here through toggled
    model_.setPaused(paused);
    refreshStatus();
}

void TrafficWindow::Clear()
{
    model_.clear();
    refreshStatus();
}

QString TrafficWindow::Copy()
{
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end());
    QString text;
    for (int row : rows) {
        QStringList cells;
        for (int c = 0; c < kTrafficColumns; ++c) cells << TrafficCell(model_.rowAt(row), c);
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
    return text;
}

void TrafficWindow::Save()
{
    const QString proposed =
        QStringLiteral("zentor-traffic-%1.csv").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    const QString path = host_.ChooseSaveFile(this, QStringLiteral("Save the frames"), proposed, QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) return;
    // Every frame kept, also those a paused list does not show yet; the file is replaced only
    // by a complete one.
    QByteArray csv = record::CsvLine(TrafficCsvHeader()).toUtf8();
    for (int i = 0; i < model_.keptCount(); ++i) csv += record::CsvLine(TrafficCsvFields(model_.keptAt(i))).toUtf8();
    QString reason;
    if (!WriteWholeFile(path, csv, &reason)) {
        host_.notifier().message(this, QStringLiteral("The frames could not be saved."),
                                 QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
        return;
    }
    status_->setText(QStringLiteral("%1 frames saved to %2").arg(model_.keptCount()).arg(QDir::toNativeSeparators(path)));
}

QString TrafficWindow::statusText() const { return status_->text(); }

void TrafficWindow::refreshStatus()
{
    if (model_.paused()) {
        status_->setText(QStringLiteral("Paused: %1 frames kept, %2 not shown yet").arg(model_.keptCount()).arg(model_.waiting()));
    } else {
        status_->setText(QStringLiteral("%1 frames (the last %2 are kept)").arg(model_.keptCount()).arg(TrafficModel::kCapacity));
    }
}

}  // namespace zentor::monitor
