// The sequence test window's controls and their places: the top line (STOP Control Motor,
// status, ID), the run block with its displays and the progress bar, the item list on the
// left, the type selector, the editor row and the user sequence buttons on the right.

#include "SequenceTestDlg.h"

#include "Artwork.h"
#include "EditorRules.h"
#include "Expectations.h"
#include "PanelColours.h"
#include "SequenceIds.h"
#include "SolidLabel.h"
#include "TypingLimit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <iterator>

namespace zentor {

namespace {

constexpr int kWidth = 1010;
// Fits a 1366 x 768 screen with its title bar and a task bar.
constexpr int kHeight = 672;

// The item list's columns: width, heading and alignment.
struct Column {
    int width;
    const char* heading;
    Qt::Alignment align;
};
constexpr Column kColumns[] = {
    {20, "", Qt::AlignCenter},
    {40, "No.", Qt::AlignCenter},
    {160, "Item / Action", Qt::AlignLeft | Qt::AlignVCenter},
    {80, "Value", Qt::AlignCenter},
    {60, "Time(S)", Qt::AlignCenter},
    {56, "Repeat", Qt::AlignCenter},
    // Beyond the list's width: the list scrolls sideways to it.
    {200, "Checks", Qt::AlignLeft | Qt::AlignVCenter},
};
constexpr int kColumnCount = int(std::size(kColumns));

QFont boldFont(int pixels)
{
    QFont f = QApplication::font();
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

QGroupBox* groupBox(const QString& title, QWidget* parent, const QRect& at)
{
    auto* g = new QGroupBox(title, parent);
    g->setGeometry(at);
    QFont f = g->font();
    f.setBold(true);
    g->setFont(f);
    return g;
}

// Children of a bold group box keep the window's ordinary font.
void plainFont(QWidget* w)
{
    QFont f = w->font();
    f.setBold(false);
    w->setFont(f);
}

}  // namespace

QFont DLG_SEQ_TEST::MarkerFont()
{
    // Arial, or a font with its widths where there is none (Wine has no Arial).
    return art::ArialFont(14, QFont::Normal);
}

QPushButton* DLG_SEQ_TEST::addButton(int id, const QString& caption, QWidget* parent, const QRect& at)
{
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(at);
    // Pressed by a click or the space bar only, never by Enter.
    b->setAutoDefault(false);
    b->setDefault(false);
    plainFont(b);
    controls_.add(id, b);
    return b;
}

QLabel* DLG_SEQ_TEST::addLabel(int id, const QString& text, QWidget* parent, const QRect& at, Qt::Alignment align)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    l->setAlignment(align);
    l->setTextFormat(Qt::PlainText);
    plainFont(l);
    if (id) controls_.add(id, l);
    return l;
}

void DLG_SEQ_TEST::buildWindow()
{
    setWindowTitle(QStringLiteral("Sequence Test"));
    setFixedSize(kWidth, kHeight);

    // Top line.
    connect(addButton(seqids::StopControlMotor, QStringLiteral("STOP Control Motor"), this, QRect(12, 10, 170, 32)),
            &QPushButton::clicked, this, &DLG_SEQ_TEST::StopControlMotor);
    auto* status = new SolidLabel(panel::kStatusBlue, Qt::white, this);
    status->setGeometry(192, 10, 580, 32);
    status->setFont(boldFont(14));
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    status->setText(QStringLiteral("   COM Port Open & Must Stop Control Motor Communication"));
    controls_.add(seqids::StatusLine, status);
    auto* idLabel = new SolidLabel(QColor(250, 250, 250), Qt::black, this);
    idLabel->setGeometry(782, 10, 216, 32);
    idLabel->setFont(boldFont(14));
    idLabel->setAlignment(Qt::AlignCenter);
    idLabel->setFrameShape(QFrame::Box);
    idLabel->setText(QStringLiteral("ID : ___ (0x__)"));
    controls_.add(seqids::IdLabel, idLabel);

    // Run block: the six displays, the type, START and RESET, and the progress bar with room
    // for the markers above and below it.
    QGroupBox* run = groupBox(QStringLiteral("Sequence Run"), this, QRect(12, 50, 986, 222));
    controls_.add(seqids::RunGroup, run);
    struct Display {
        int id;
        const char* caption;
        int column;
        int row;
    };
    const Display displays[] = {
        {seqids::TotalTime, "Total Time", 0, 0},     {seqids::CurrentTime, "Current Time", 1, 0},
        {seqids::RemainingTime, "Remaining Time", 2, 0}, {seqids::TotalItems, "Total Items", 0, 1},
        {seqids::CurrentItem, "Current Item", 1, 1},  {seqids::RemainingItems, "Remaining Items", 2, 1},
    };
    for (const Display& d : displays) {
        const int x = 12 + d.column * 236;
        const int y = 28 + d.row * 36;
        addLabel(0, QString::fromLatin1(d.caption), run, QRect(x, y, 110, 28), Qt::AlignRight | Qt::AlignVCenter);
        QLabel* v = addLabel(d.id, QString(), run, QRect(x + 116, y, 110, 28), Qt::AlignCenter);
        v->setFrameShape(QFrame::Panel);
        v->setFrameShadow(QFrame::Sunken);
        v->setFont(boldFont(14));
        v->setAutoFillBackground(true);
        QPalette pal = v->palette();
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::WindowText, Qt::black);
        v->setPalette(pal);
    }
    QLabel* runType = addLabel(seqids::RunTypeLabel, QStringLiteral("Speed Ctrl"), run, QRect(728, 28, 246, 28), Qt::AlignCenter);
    runType->setFrameShape(QFrame::Box);
    runType->setFont(boldFont(13));
    connect(addButton(seqids::StartPause, QStringLiteral("START"), run, QRect(728, 62, 120, 32)), &QPushButton::clicked,
            this, &DLG_SEQ_TEST::StartOrPause);
    connect(addButton(seqids::Reset, QStringLiteral("RESET"), run, QRect(854, 62, 120, 32)), &QPushButton::clicked, this,
            &DLG_SEQ_TEST::ResetButton);
    QLabel* start = addLabel(seqids::StartLabel, QStringLiteral("Start 1"), run, QRect(12, 150, 62, 20),
                             Qt::AlignRight | Qt::AlignVCenter);
    start->setFont(MarkerFont());
    progress_ = new QProgressBar(run);
    progress_->setGeometry(80, 150, 846, 20);
    progress_->setRange(0, 200);
    progress_->setTextVisible(false);
    progress_->setAccessibleName(QStringLiteral("Sequence progress"));
    controls_.add(seqids::Progress, progress_);

    // Item list on the left.
    QGroupBox* listGroup = groupBox(QStringLiteral("ITEM LIST"), this, QRect(12, 280, 462, 340));
    controls_.add(seqids::ItemListGroup, listGroup);
    itemList_ = new QTableWidget(0, kColumnCount, listGroup);
    plainFont(itemList_);
    itemList_->setGeometry(10, 24, 442, 306);
    itemList_->setAccessibleName(QStringLiteral("ITEM LIST"));
    itemList_->setShowGrid(true);
    itemList_->verticalHeader()->hide();
    itemList_->verticalHeader()->setDefaultSectionSize(22);
    itemList_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The columns keep their own widths: the header's least width follows the style and font
    // (27 pixels on Linux, 40 on Windows), which would push Repeat under the scroll bar.
    itemList_->horizontalHeader()->setMinimumSectionSize(kColumns[0].width);
    itemList_->horizontalHeader()->setHighlightSections(false);
    itemList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    itemList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A click on a row chooses nothing: the No. list picks the item to edit.
    itemList_->setSelectionMode(QAbstractItemView::NoSelection);
    itemList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 0; c < kColumnCount; ++c) {
        auto* heading = new QTableWidgetItem(QString::fromLatin1(kColumns[c].heading));
        heading->setTextAlignment(kColumns[c].align);
        itemList_->setHorizontalHeaderItem(c, heading);
        itemList_->setColumnWidth(c, kColumns[c].width);
    }
    controls_.add(seqids::ItemList, itemList_);
    // The list's parts carry names of their own for a screen reader.
    itemList_->horizontalHeader()->setAccessibleName(QStringLiteral("Item list headings"));
    itemList_->verticalHeader()->setAccessibleName(QStringLiteral("Item list rows"));
    itemList_->setCornerButtonEnabled(false);
    if (auto* corner = itemList_->findChild<QAbstractButton*>()) corner->setAccessibleName(QStringLiteral("Item list corner"));
    for (QScrollBar* bar : itemList_->findChildren<QScrollBar*>())
        bar->setAccessibleName(bar->orientation() == Qt::Vertical ? QStringLiteral("Scroll the item list")
                                                                  : QStringLiteral("Scroll the item list sideways"));

    // Control type, with Load Initial beside it.
    QGroupBox* typeGroup = groupBox(QStringLiteral("[ Select Control Type ]"), this, QRect(486, 280, 512, 70));
    controls_.add(seqids::TypeGroup, typeGroup);
    auto* types = new QComboBox(typeGroup);
    plainFont(types);
    types->setGeometry(10, 28, 150, 30);
    types->setAccessibleName(QStringLiteral("Control Type"));
    controls_.add(seqids::TypeList, types);
    connect(addButton(seqids::Select, QStringLiteral("Select"), typeGroup, QRect(166, 28, 70, 30)), &QPushButton::clicked,
            this, &DLG_SEQ_TEST::SelectType);
    QLabel* selectType = addLabel(seqids::SelectTypeLabel, QStringLiteral("Speed Ctrl"), typeGroup, QRect(242, 28, 102, 30),
                                  Qt::AlignCenter);
    selectType->setFrameShape(QFrame::Box);
    selectType->setFont(boldFont(12));
    connect(addButton(seqids::LoadInitial, QStringLiteral("Load Initial Seq. Test"), typeGroup, QRect(350, 28, 152, 30)),
            &QPushButton::clicked, this, &DLG_SEQ_TEST::LoadInitial);

    // Editor row.
    QGroupBox* edit = groupBox(QStringLiteral("Edit Sequence Item ( Add / Change / Delete )"), this, QRect(486, 358, 512, 160));
    controls_.add(seqids::EditGroup, edit);
    addLabel(0, QStringLiteral("<<  Sequence Item                     ( Min Time Input : 0.2 )"), edit, QRect(10, 24, 492, 20));
    QLabel* noLabel = addLabel(0, QStringLiteral("No."), edit, QRect(10, 48, 60, 18), Qt::AlignCenter);
    QLabel* actionLabel = addLabel(0, QStringLiteral("Item / Action"), edit, QRect(76, 48, 190, 18), Qt::AlignCenter);
    QLabel* unitLabel = addLabel(seqids::UnitLabel, QStringLiteral("Value"), edit, QRect(272, 48, 88, 18), Qt::AlignCenter);
    QLabel* timeLabel = addLabel(0, QStringLiteral("Time"), edit, QRect(366, 48, 64, 18), Qt::AlignCenter);
    QLabel* repeatLabel = addLabel(0, QStringLiteral("Repeat"), edit, QRect(436, 48, 66, 18), Qt::AlignCenter);
    auto* numbers = new QComboBox(edit);
    plainFont(numbers);
    numbers->setGeometry(10, 68, 60, 30);
    noLabel->setBuddy(numbers);
    controls_.add(seqids::NumberList, numbers);
    connect(numbers, &QComboBox::activated, this, &DLG_SEQ_TEST::LoadRowIntoEditor);
    auto* actions = new QComboBox(edit);
    plainFont(actions);
    actions->setGeometry(76, 68, 190, 30);
    actions->setMaxVisibleItems(15);
    actionLabel->setBuddy(actions);
    controls_.add(seqids::ActionList, actions);
    connect(actions, &QComboBox::activated, this, &DLG_SEQ_TEST::ApplyActionRule);
    auto lineEdit = [this, edit](int id, QLabel* label, const QRect& at) {
        auto* e = new QLineEdit(edit);
        plainFont(e);
        e->setGeometry(at);
        e->setAlignment(Qt::AlignCenter);
        label->setBuddy(e);
        controls_.add(id, e);
        return e;
    };
    connect(lineEdit(seqids::ValueEdit, unitLabel, QRect(272, 68, 88, 30)), &QLineEdit::textChanged, this,
            &DLG_SEQ_TEST::ValidateValueBox);
    connect(lineEdit(seqids::TimeEdit, timeLabel, QRect(366, 68, 64, 30)), &QLineEdit::textChanged, this,
            &DLG_SEQ_TEST::ValidateTimeBox);
    connect(lineEdit(seqids::RepeatEdit, repeatLabel, QRect(436, 68, 66, 30)), &QLineEdit::textChanged, this,
            [this] { ValidateCountBox(seqids::RepeatEdit); });
    // A character past a box's length is refused where it is typed; the value box's length is
    // its rule's, set anew with each rule.
    valueLimit_ = new TypingLimit(rule_.maxLength, control(seqids::ValueEdit));
    controlAs<QLineEdit>(seqids::ValueEdit)->setValidator(valueLimit_);
    controlAs<QLineEdit>(seqids::TimeEdit)->setValidator(new TypingLimit(kTimeLength, control(seqids::TimeEdit)));
    controlAs<QLineEdit>(seqids::RepeatEdit)->setValidator(new TypingLimit(kCountLength, control(seqids::RepeatEdit)));
    connect(addButton(seqids::AddChange, QStringLiteral("ADD"), edit, QRect(10, 112, 120, 34)), &QPushButton::clicked, this,
            &DLG_SEQ_TEST::AddOrChange);
    connect(addButton(seqids::Delete, QStringLiteral("DELETE"), edit, QRect(136, 112, 120, 34)), &QPushButton::clicked,
            this, &DLG_SEQ_TEST::DeleteItem);

    // What the item expects of the driver, beside DELETE, over the place of the hidden range
    // block.
    QLabel* checksLabel = addLabel(0, QStringLiteral("Checks"), edit, QRect(262, 112, 52, 34), Qt::AlignRight | Qt::AlignVCenter);
    auto* checks = new QLineEdit(edit);
    plainFont(checks);
    checks->setGeometry(318, 112, 186, 34);
    checks->setMaxLength(kMaxExpectationsLength);
    checks->setAccessibleName(QStringLiteral("Checks"));
    checks->setToolTip(QStringLiteral("rpm \u00B15%; current <= 3; alarm = 0"));
    checksLabel->setBuddy(checks);
    controls_.add(seqids::ChecksEdit, checks);

    // The range block: created, hidden and disabled; nothing shows or enables it.
    auto* range = new QFrame(edit);
    range->setGeometry(264, 108, 240, 42);
    range->setFrameShape(QFrame::Box);
    controls_.add(seqids::RangeFrame, range);
    auto* rangeStart = new QComboBox(range);
    plainFont(rangeStart);
    rangeStart->setGeometry(4, 8, 48, 26);
    rangeStart->setAccessibleName(QStringLiteral("Range start"));
    controls_.add(seqids::RangeStart, rangeStart);
    addLabel(0, QStringLiteral("~"), range, QRect(54, 8, 12, 26), Qt::AlignCenter);
    addLabel(seqids::RangeEnd, QString(), range, QRect(66, 8, 28, 26), Qt::AlignCenter);
    addLabel(0, QStringLiteral("X"), range, QRect(94, 8, 12, 26), Qt::AlignCenter);
    auto* rangeRepeat = new QLineEdit(range);
    plainFont(rangeRepeat);
    rangeRepeat->setGeometry(106, 8, 40, 26);
    rangeRepeat->setAccessibleName(QStringLiteral("Range repeat"));
    controls_.add(seqids::RangeRepeat, rangeRepeat);
    rangeRepeat->setValidator(new TypingLimit(kCountLength, rangeRepeat));
    connect(rangeRepeat, &QLineEdit::textChanged, this, [this] { ValidateCountBox(seqids::RangeRepeat); });
    addLabel(0, QStringLiteral("Time(s)"), range, QRect(148, 8, 44, 26), Qt::AlignCenter);
    connect(addButton(seqids::ApplyRange, QStringLiteral("SET"), range, QRect(194, 6, 42, 30)), &QPushButton::clicked,
            this, &DLG_SEQ_TEST::ApplyRange);
    range->setEnabled(false);
    range->hide();
    // Drawn under the checks box, should anything ever show it.
    range->lower();

    // User sequence.
    QGroupBox* user = groupBox(QStringLiteral("Save / Load User Sequence"), this, QRect(486, 526, 512, 94));
    controls_.add(seqids::UserGroup, user);
    connect(addButton(seqids::SaveUser, QStringLiteral("Save User Seq."), user, QRect(10, 40, 160, 34)),
            &QPushButton::clicked, this, &DLG_SEQ_TEST::SaveUser);
    connect(addButton(seqids::LoadUser, QStringLiteral("Load User Seq."), user, QRect(176, 40, 160, 34)),
            &QPushButton::clicked, this, &DLG_SEQ_TEST::LoadUser);

    // The checked run's verdict, the unit under test and its report, along the bottom.
    QLabel* unitLabel2 = addLabel(0, QStringLiteral("Unit"), this, QRect(12, 630, 40, 34), Qt::AlignRight | Qt::AlignVCenter);
    auto* unit = new QLineEdit(this);
    plainFont(unit);
    unit->setGeometry(56, 630, 220, 34);
    unit->setMaxLength(64);
    unit->setAccessibleName(QStringLiteral("Unit"));
    unitLabel2->setBuddy(unit);
    controls_.add(seqids::UnitEdit, unit);
    addLabel(0, QStringLiteral("Verdict"), this, QRect(288, 630, 60, 34), Qt::AlignRight | Qt::AlignVCenter);
    QLabel* verdict = addLabel(seqids::Verdict, QString(), this, QRect(352, 630, 220, 34), Qt::AlignCenter);
    verdict->setFrameShape(QFrame::Panel);
    verdict->setFrameShadow(QFrame::Sunken);
    verdict->setFont(boldFont(16));
    verdict->setAccessibleName(QStringLiteral("Verdict"));
    connect(addButton(seqids::Report, QStringLiteral("Report..."), this, QRect(584, 630, 120, 34)), &QPushButton::clicked,
            this, &DLG_SEQ_TEST::SaveReport);

    connect(addButton(seqids::Exit, QStringLiteral("EXIT"), this, QRect(878, 630, 120, 34)), &QPushButton::clicked, this,
            &QDialog::reject);
}

}  // namespace zentor
