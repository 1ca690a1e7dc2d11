#include "ComConfigDlg.h"

#include "ComSettingRules.h"
#include "SettingsIds.h"
#include "StatusLine.h"
#include "TextNumbers.h"
#include "TypingLimit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentor::settings {

using namespace com_ids;

namespace {

QLabel* valueLabel(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    return l;
}

}  // namespace

const QStringList& DLG_COM_CONFIG::BaudRates()
{
    static const QStringList rates = {QStringLiteral("2400"),  QStringLiteral("4800"),  QStringLiteral("9600"),
                                      QStringLiteral("14400"), QStringLiteral("19200"), QStringLiteral("38400"),
                                      QStringLiteral("57600"), QStringLiteral("115200")};
    return rates;
}

DLG_COM_CONFIG::DLG_COM_CONFIG(ConsoleHost& host, QWidget* parent)
    : SettingsDialog(host, QStringLiteral("Communication Setting Configuration"), parent)
{
    buildWindow();
}

void DLG_COM_CONFIG::buildWindow()
{
    auto* top = new QVBoxLayout(this);
    top->setSpacing(10);

    auto* status = new StatusLine(QStringLiteral("  Stop Device Control"), this);
    status->setMinimumWidth(440);
    controls_.add(Status, status);
    top->addWidget(status);

    auto* actions = new QHBoxLayout;
    connect(addButton(StopControlMotor, QStringLiteral("STOP Control Motor"), this), &QPushButton::clicked, this,
            &DLG_COM_CONFIG::OnStopControlMotor);
    connect(addButton(CloseComPort, QStringLiteral("Close COM Port"), this), &QPushButton::clicked, this,
            &DLG_COM_CONFIG::OnCloseComPort);
    actions->addWidget(control(StopControlMotor));
    actions->addWidget(control(CloseComPort));
    actions->addStretch(1);
    top->addLayout(actions);

    // An ID group: its current ID and a field for a new one with its hexadecimal echo.
    auto idGroup = [this, top](const QString& caption, int currentId, int editId, int echoId, int changeId) {
        auto* box = new QGroupBox(caption, this);
        auto* grid = new QGridLayout(box);
        grid->setHorizontalSpacing(10);
        grid->addWidget(new QLabel(QStringLiteral("Current ID :"), box), 0, 0);
        QLabel* current = valueLabel(QStringLiteral("___ (0x__)"), box);
        current->setMinimumWidth(110);
        controls_.add(currentId, current);
        grid->addWidget(current, 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("New ID :"), box), 1, 0);
        auto* edit = new QLineEdit(box);
        edit->setValidator(new TypingLimit(3, edit));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setFixedWidth(110);
        edit->setAccessibleName(caption);
        controls_.add(editId, edit);
        grid->addWidget(edit, 1, 1);
        auto* echo = new QLabel(QStringLiteral("(0x__)"), box);
        controls_.add(echoId, echo);
        grid->addWidget(echo, 1, 2);
        grid->addWidget(addButton(changeId, QStringLiteral("ID Change"), box), 1, 3);
        grid->setColumnStretch(2, 1);
        // Only what the operator types is checked.
        connect(edit, &QLineEdit::textEdited, this, [this, editId, echoId] { OnIdTyped(editId, echoId); });
        top->addWidget(box);
        return grid;
    };
    idGroup(QStringLiteral("PC Protocol ID"), PcCurrentId, PcIdEdit, PcIdEcho, PcIdChange);
    connect(controlAs<QPushButton>(PcIdChange), &QPushButton::clicked, this, &DLG_COM_CONFIG::OnPcIdChange);
    QGridLayout* device = idGroup(QStringLiteral("Device Protocol ID"), DeviceCurrentId, DeviceIdEdit, DeviceIdEcho,
                                  DeviceIdChange);
    connect(controlAs<QPushButton>(DeviceIdChange), &QPushButton::clicked, this, &DLG_COM_CONFIG::OnDeviceIdChange);
    device->addWidget(addButton(IdCheck, QStringLiteral("ID Check"), device->parentWidget()), 0, 3);
    connect(controlAs<QPushButton>(IdCheck), &QPushButton::clicked, this, &DLG_COM_CONFIG::OnIdCheck);

    // The line: what the next open uses, and the choice of rate.
    auto* line = new QHBoxLayout;
    auto* current = new QGroupBox(QStringLiteral("Current COM Setting"), this);
    auto* currentRow = new QHBoxLayout(current);
    QLabel* setting = valueLabel(QStringLiteral("Baud. / Data / Parity / Stop / Flow"), current);
    setting->setMinimumWidth(220);
    controls_.add(ComSetting, setting);
    currentRow->addWidget(setting);
    line->addWidget(current, 1);
    auto* baud = new QGroupBox(QStringLiteral("Baudrate"), this);
    auto* baudRow = new QHBoxLayout(baud);
    // A drop-down list that also takes typed text; what is typed is no new entry.
    auto* rates = new QComboBox(baud);
    rates->setEditable(true);
    rates->setInsertPolicy(QComboBox::NoInsert);
    rates->addItems(BaudRates());
    rates->setCurrentIndex(-1);
    rates->setAccessibleName(QStringLiteral("Baudrate"));
    rates->lineEdit()->setAccessibleName(QStringLiteral("Baudrate"));
    controls_.add(BaudList, rates);
    baudRow->addWidget(rates);
    connect(addButton(BaudChange, QStringLiteral("Change"), baud), &QPushButton::clicked, this,
            &DLG_COM_CONFIG::OnBaudChange);
    baudRow->addWidget(control(BaudChange));
    line->addWidget(baud);
    top->addLayout(line);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    connect(addButton(Exit, QStringLiteral("EXIT"), this), &QPushButton::clicked, this, &QDialog::reject);
    control(Exit)->setMinimumWidth(100);
    bottom->addWidget(control(Exit));
    top->addLayout(bottom);
    setFixedSize(sizeHint());
}

void DLG_COM_CONFIG::Initialise()
{
    ResetTimers();
    // Each opening starts with no driver address confirmed and, as a window made anew, with no
    // rate chosen until the refresh finds the configured one.
    host_.clearConfirmedDeviceId();
    controlAs<QComboBox>(BaudList)->setCurrentIndex(-1);
    RefreshComDialog();
}

void DLG_COM_CONFIG::RefreshComDialog()
{
    const int address = host_.slaveAddress();
    controls_.setText(PcCurrentId, IdText(address));
    controls_.setText(PcIdEdit, QString());
    controls_.setText(PcIdEcho, IdEcho(std::nullopt));
    controls_.setText(DeviceCurrentId, host_.confirmedDeviceId() == 0 ? QStringLiteral("___ (0x__)") : IdText(address));
    controls_.setText(DeviceIdEdit, QString());
    controls_.setText(DeviceIdEcho, IdEcho(std::nullopt));
    const int baud = host_.configuredBaud();
    controls_.setText(ComSetting, ComSettingText(baud));
    auto* rates = controlAs<QComboBox>(BaudList);
    for (int i = 0; i < rates->count(); ++i) {
        if (LeadingInteger(rates->itemText(i)) == baud) {
            rates->setCurrentIndex(i);
            break;
        }
    }

    bool pc = true;
    bool device = false;
    bool line = true;
    QString status = QStringLiteral("  [Change] Com. ID in PC / COM Port Baudrate");
    if (host_.portOpen() && host_.running()) {
        status = QStringLiteral("  [STOP] Control Motor");
        pc = line = false;
    } else if (host_.portOpen()) {
        status = QStringLiteral("  [Change] Com. ID in PC / Com. ID in DEVICE");
        device = true;
        line = false;
    }
    controls_.setText(Status, status);
    controls_.setEnabled({PcCurrentId, PcIdEdit, PcIdEcho, PcIdChange}, pc);
    controls_.setEnabled({DeviceCurrentId, IdCheck, DeviceIdEdit, DeviceIdEcho, DeviceIdChange}, device);
    controls_.setEnabled({ComSetting, BaudList, BaudChange}, line);
}

void DLG_COM_CONFIG::OnIdTyped(int editId, int echoId)
{
    auto* edit = controlAs<QLineEdit>(editId);
    const std::optional<int> id = TypedId(edit->text());
    if (!id) edit->clear();
    controls_.setText(echoId, IdEcho(id));
}

void DLG_COM_CONFIG::OnPcIdChange()
{
    if (!BusyGuardPasses()) return;
    const std::optional<int> id = TypedId(controls_.text(PcIdEdit));
    // 0 is no address of a driver, however it is typed.
    if (!id || *id == 0) return;
    host_.SetSlaveAddress(*id);
    StartReplyCheck(false);
}

void DLG_COM_CONFIG::OnIdCheck()
{
    if (!BusyGuardPasses()) return;
    const bool linked = host_.linkPresent();
    if (!linked) {
        host_.notifier().message(this, QStringLiteral("Check COM Port Device"));
        RefreshComDialog();
    } else {
        host_.SendIdentityQuery();
    }
    StartReplyCheck(linked);
}

void DLG_COM_CONFIG::OnDeviceIdChange()
{
    if (!BusyGuardPasses()) return;
    const std::optional<int> id = TypedId(controls_.text(DeviceIdEdit));
    if (!id || *id == 0) return;
    const bool linked = host_.linkPresent();
    if (!linked) {
        host_.notifier().message(this, QStringLiteral("Check COM Port Device"));
        RefreshComDialog();
    } else {
        host_.SendIdentityChange(uint16_t(*id));
    }
    StartReplyCheck(linked);
}

void DLG_COM_CONFIG::OnCloseComPort()
{
    if (!BusyGuardPasses()) return;
    if (!host_.portOpen()) return;
    host_.OpenClose();
    StartReplyCheck(false);
}

void DLG_COM_CONFIG::OnBaudChange()
{
    if (!BusyGuardPasses()) return;
    auto* rates = controlAs<QComboBox>(BaudList);
    // Only an entry of the list is a rate: the box's text, chosen or typed, must be one of them.
    // Without one there is nothing to change.
    const int entry = rates->findText(rates->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry < 0) return;
    const int baud = int(LeadingInteger(rates->itemText(entry)));
    host_.SetConfiguredBaud(baud);
    QString reason;
    if (!host_.WriteProfileValue(QStringLiteral("COMPORT"), QStringLiteral("Baudrate"), QString::asprintf("%d", baud),
                                 &reason)) {
        host_.notifier().message(this, QStringLiteral("The baud rate %1 applies until the console ends,\n"
                                                      "but it could not be stored for the next start.\n%2")
                                           .arg(baud)
                                           .arg(reason));
    }
    StartReplyCheck(false);
}

}  // namespace zentor::settings
