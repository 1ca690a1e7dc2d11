// The main window: its controls and their places, the initialisation in its order, the
// keyboard filter, the launchers of the other windows and the orderly shutdown.

#include "ZentorDlg.h"

#include "Artwork.h"
#include "ChartDraw.h"
#include "ClickFrame.h"
#include "ConfigurationFile.h"
#include "ControlIds.h"
#include "DrawStatic.h"
#include "PanelColours.h"
#include "ProjectInfo.h"
#include "TypingLimit.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

namespace zentor {

namespace {

constexpr int kWidth = 1180;
// Fits a 1366 x 768 screen with its title bar and a task bar.
constexpr int kHeight = 680;

QFont boldFont(int pixels)
{
    QFont f = QApplication::font();
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

}  // namespace

CZentorDlg::CZentorDlg(ConsoleEnv env, QWidget* parent)
    : QDialog(parent),
      env_(std::move(env)),
      scheduler_(env_.clock, this, [this](int id) { OnTimer(id); }),
      profile_(env_.configPath)
{
    setWindowTitle(QStringLiteral("Zentor"));
    setWindowIcon(art::AppIcon());
    setFixedSize(kWidth, kHeight);
    buildWindow();
    qApp->installEventFilter(this);
    // The one listing of the system's ports at start-up; after it, only a change looks again.
    watcher_ = std::make_unique<PortWatcher>(env_.clock, env_.ports, env_.ports.ports(), this);
    connect(watcher_.get(), &PortWatcher::appeared, this, &CZentorDlg::OnPortArrived);
    connect(watcher_.get(), &PortWatcher::disappeared, this, &CZentorDlg::OnPortRemoved);
    // A look at the system's ports takes milliseconds: while the poll cycle runs it comes
    // right after a poll tick, never when a tick is due.
    watcher_->setDeferral([this](std::function<void()> look) {
        if (running_) {
            portLookAfterTick_ = std::move(look);
        } else {
            env_.clock.callAfter(PortWatcher::kSettleMs, this, std::move(look));
        }
    });
    InitWindow();
}

CZentorDlg::~CZentorDlg()
{
    qApp->removeEventFilter(this);
    // The link is let go of before the window is gone, and without a message box.
    if (link_) {
        link_->Stop();
        env_.clock.pause(200);
        link_->Close();
        link_.reset();
    }
    // The windows and groups on this one may have listeners registered with it: they go while
    // it is still whole, not after its members are gone.
    const QObjectList children = this->children();
    for (QObject* child : children)
        if (child->isWidgetType()) delete child;
}

void CZentorDlg::buildWindow()
{
    auto label = [this](int id, QWidget* parent, QRect r, const QString& t = QString(),
                        Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        auto* l = new QLabel(t, parent);
        l->setGeometry(r);
        l->setAlignment(align);
        if (id) registerControl(id, l);
        return l;
    };
    auto button = [this](int id, QWidget* parent, QRect r, const QString& t) {
        auto* b = new QPushButton(t, parent);
        b->setGeometry(r);
        b->setAutoDefault(false);
        b->setDefault(false);
        registerControl(id, b);
        return b;
    };
    auto indicator = [this, label](int id, QWidget* parent, QRect r, const QString& t) {
        QLabel* l = label(id, parent, r, t, Qt::AlignCenter);
        l->setFrameShape(QFrame::Box);
        l->setFont(boldFont(12));
        return l;
    };
    // A group: a box holding its controls, a caption, a one-pixel line under the caption. The
    // box carries the caption as its accessible title.
    auto group = [this, label](int panelId, int captionId, int lineId, QRect r, const QString& caption) {
        auto* p = new QGroupBox(this);
        p->setGeometry(r);
        registerControl(panelId, p);
        QLabel* c = label(captionId, p, QRect(6, 4, r.width() - 12, 20), QString());
        controls_.bindCaption(captionId, p);
        setText(captionId, caption);
        c->setFont(boldFont(12));
        auto* line = new QFrame(p);
        line->setGeometry(8, 25, r.width() - 16, 1);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        registerControl(lineId, line);
        return p;
    };

    // Fixed pictures: the tall one along the left edge, a thin strip over the right-hand area.
    QLabel* left = label(ids::LeftPicture, this, QRect(0, 0, 200, kHeight));
    left->setPixmap(QPixmap::fromImage(art::Image(ids::art::LeftPicture)).scaled(200, kHeight));
    QLabel* top = label(0, this, QRect(214, 4, 956, 6));
    top->setPixmap(QPixmap::fromImage(art::Image(ids::art::TopPicture)).scaled(956, 6));

    // Connection row.
    QLabel* portsLabel = label(0, this, QRect(214, 18, 70, 26), QStringLiteral("COM Port"));
    auto* ports = new QComboBox(this);
    // The listed ports, or any device path typed into it.
    ports->setEditable(true);
    ports->setInsertPolicy(QComboBox::NoInsert);
    ports->setToolTip(QStringLiteral("Choose a port, or type a device path such as /dev/pts/3"));
    portsLabel->setBuddy(ports);
    ports->setGeometry(284, 18, 170, 26);
    registerControl(ids::ComPortList, ports);
    connect(button(ids::OpenClose, this, QRect(462, 18, 80, 26), QStringLiteral("Open")), &QPushButton::clicked, this,
            &CZentorDlg::OnOpenClose);
    connect(button(ids::StartStop, this, QRect(548, 18, 80, 26), QStringLiteral("Start")), &QPushButton::clicked, this,
            &CZentorDlg::OnStartStop);
    QLabel* lamp = label(ids::LinkLamp, this, QRect(638, 18, 8, 26));
    lamp->setFrameShape(QFrame::Panel);
    lamp->setFrameShadow(QFrame::Sunken);
    QLabel* status = label(ids::ConnectionStatus, this, QRect(654, 18, 230, 26), QStringLiteral("Select COM Port"));
    status->setFont(boldFont(13));
    QLabel* idLabel = label(ids::IdLabel, this, QRect(890, 18, 150, 26));
    idLabel->setFont(boldFont(13));
    connect(button(ids::ComConfig, this, QRect(1050, 18, 120, 26), QStringLiteral("COM Config.")), &QPushButton::clicked,
            this, [this] { OnOpenDialog(ids::ComConfig); });

    // Control type row.
    QLabel* typesLabel = label(0, this, QRect(214, 54, 90, 26), QStringLiteral("Control Type"));
    auto* types = new QComboBox(this);
    typesLabel->setBuddy(types);
    types->setGeometry(304, 54, 170, 26);
    registerControl(ids::ControlTypeList, types);
    connect(button(ids::Select, this, QRect(482, 54, 80, 26), QStringLiteral("Select")), &QPushButton::clicked, this,
            &CZentorDlg::OnSelect);
    QLabel* type1 = label(ids::TypeLabel, this, QRect(576, 54, 200, 26));
    type1->setFont(boldFont(15));
    QLabel* type2 = label(ids::TypeLabel2, this, QRect(780, 54, 140, 26), QString(), Qt::AlignCenter);
    type2->setFrameShape(QFrame::Box);
    type2->setFont(boldFont(12));
    connect(button(ids::MotorConfig, this, QRect(1000, 54, 170, 26), QStringLiteral("Motor Setting Config.")),
            &QPushButton::clicked, this, [this] { OnOpenDialog(ids::MotorConfig); });

    // RPM display: five digit images on a clickable static, with its caption above.
    QLabel* rpmCaption = label(ids::RpmCaption, this, QRect(214, 94, 250, 20), QStringLiteral("RPM. ( Motor Output )"));
    rpmCaption->setFont(boldFont(12));
    auto* rpm = new ClickFrame(this);
    rpm->setGeometry(214, 116, 250, 84);
    rpm->setFrameShape(QFrame::Panel);
    rpm->setFrameShadow(QFrame::Sunken);
    registerControl(ids::RpmDisplay, rpm);
    connect(rpm, &ClickFrame::clicked, this, &CZentorDlg::OnRpmDisplayClicked);
    const int digitIds[5] = {ids::DigitTenThousands, ids::DigitThousands, ids::DigitHundreds, ids::DigitTens, ids::DigitUnits};
    for (int i = 0; i < 5; ++i) {
        QLabel* d = label(digitIds[i], rpm, QRect(12 + i * 46, 10, 41, 64));
        d->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    // Motor settings labels beside the digits.
    auto* settings = new QFrame(this);
    settings->setGeometry(474, 94, 170, 106);
    settings->setFrameShape(QFrame::StyledPanel);
    const int settingIds[6] = {ids::PoleLabel, ids::LimitLabel, ids::ReducerLabel, ids::AccLabel, ids::DecLabel, ids::MaxRpmLabel};
    for (int i = 0; i < 6; ++i) label(settingIds[i], settings, QRect(8, 4 + i * 16, 156, 16));

    // Current graph and rotor angle dial.
    label(0, this, QRect(214, 206, 300, 18), QStringLiteral("Motor Current"))->setFont(boldFont(12));
    chart_ = new CChartDraw(this);
    chart_->setGeometry(214, 226, 430, 190);
    registerControl(ids::CurrentGraph, chart_);
    // Its own context menu: the graph or its samples to a file.
    chart_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chart_, &QWidget::customContextMenuRequested, this, &CZentorDlg::ShowGraphMenu);
    label(0, this, QRect(214, 422, 300, 18), QStringLiteral("Rotor Angle"))->setFont(boldFont(12));
    dial_ = new CDrawStatic(this);
    dial_->setGeometry(214, 442, 232, 232);
    registerControl(ids::AngleDial, dial_);

    // Motor controls, grouped.
    QGroupBox* p = group(ids::DirectionPanel, ids::DirectionCaption, ids::DirectionLine, QRect(656, 94, 253, 84), QString());
    connect(button(ids::DirectionCw, p, QRect(10, 36, 70, 34), QStringLiteral("CW")), &QPushButton::clicked, this,
            [this] { OnDirection(0); });
    connect(button(ids::DirectionCcw, p, QRect(86, 36, 70, 34), QStringLiteral("CCW")), &QPushButton::clicked, this,
            [this] { OnDirection(1); });
    indicator(ids::DirectionIndicator, p, QRect(164, 38, 80, 30), QStringLiteral("___"));

    p = group(ids::BrakePanel, ids::BrakeCaption, ids::BrakeLine, QRect(917, 94, 253, 84), QStringLiteral(" Brake"));
    connect(button(ids::BrakeOn, p, QRect(10, 36, 70, 34), QStringLiteral("ON")), &QPushButton::clicked, this,
            [this] { OnBrake(1); });
    connect(button(ids::BrakeOff, p, QRect(86, 36, 70, 34), QStringLiteral("OFF")), &QPushButton::clicked, this,
            [this] { OnBrake(0); });
    indicator(ids::BrakeIndicator, p, QRect(164, 38, 80, 30), QStringLiteral("BRAKE"));

    p = group(ids::RotatePanel, ids::RotateCaption, ids::RotateLine, QRect(656, 186, 253, 84), QStringLiteral(" Rotate"));
    connect(button(ids::Run, p, QRect(10, 36, 110, 34), QStringLiteral("RUN")), &QPushButton::clicked, this,
            [this] { OnRunCommand(1); });
    connect(button(ids::Stop, p, QRect(132, 36, 110, 34), QStringLiteral("STOP")), &QPushButton::clicked, this,
            [this] { OnRunCommand(0); });

    p = group(ids::ResetPanel, ids::ResetCaption, ids::ResetLine, QRect(917, 186, 253, 84), QStringLiteral(" Reset"));
    connect(button(ids::ResetHigh, p, QRect(10, 36, 110, 34), QStringLiteral("HIGH")), &QPushButton::clicked, this,
            [this] { OnRunCommand(1); });
    connect(button(ids::ResetLow, p, QRect(132, 36, 110, 34), QStringLiteral("LOW")), &QPushButton::clicked, this,
            [this] { OnRunCommand(0); });

    p = group(ids::ClutchPanel, ids::ClutchCaption, ids::ClutchLine, QRect(656, 278, 253, 84), QStringLiteral(" Clutch"));
    connect(button(ids::ClutchOn, p, QRect(10, 36, 70, 34), QStringLiteral("ON")), &QPushButton::clicked, this,
            &CZentorDlg::OnClutch);
    connect(button(ids::ClutchOff, p, QRect(86, 36, 70, 34), QStringLiteral("OFF")), &QPushButton::clicked, this,
            &CZentorDlg::OnClutch);
    indicator(ids::ClutchIndicator, p, QRect(164, 38, 80, 30), QStringLiteral("CLUTCH"));

    p = group(ids::SpeedPanel, ids::SpeedCaption, ids::SpeedLine, QRect(656, 370, 514, 96), QString());
    auto* speedSlider = new QSlider(Qt::Horizontal, p);
    speedSlider->setGeometry(10, 40, 220, 30);
    registerControl(ids::SpeedSlider, speedSlider);
    speedSlider->setAccessibleName(QStringLiteral("Speed %"));
    connect(speedSlider, &QSlider::sliderReleased, this, &CZentorDlg::OnSpeedSliderReleased);
    // A click on the track, a key or the wheel moves the slider without a drag: it ends the
    // same way as a released drag.
    connect(speedSlider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction) OnSpeedSliderReleased();
    });
    auto* speedEdit = new QLineEdit(p);
    speedEdit->setGeometry(238, 40, 70, 30);
    speedEdit->setValidator(new TypingLimit(5, speedEdit));
    speedEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    registerControl(ids::SpeedEdit, speedEdit);
    speedEdit->setAccessibleName(QStringLiteral("Target speed %"));
    connect(speedEdit, &QLineEdit::textChanged, this, &CZentorDlg::OnSpeedEditChanged);
    connect(button(ids::SpeedSet, p, QRect(314, 38, 60, 34), QStringLiteral("SET")), &QPushButton::clicked, this,
            &CZentorDlg::OnSpeedSet);
    indicator(ids::RotateIndicator, p, QRect(384, 40, 120, 30), QStringLiteral("_Speed %_"));

    p = group(ids::PositionPanel, ids::PositionCaption, ids::PositionLine, QRect(656, 474, 514, 136), QString());
    auto* positionSlider = new QSlider(Qt::Horizontal, p);
    positionSlider->setGeometry(10, 40, 220, 30);
    registerControl(ids::PositionSlider, positionSlider);
    positionSlider->setAccessibleName(QStringLiteral("Step within a revolution"));
    connect(positionSlider, &QSlider::sliderReleased, this, &CZentorDlg::OnPositionSliderReleased);
    connect(positionSlider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction) OnPositionSliderReleased();
    });
    auto* positionEdit = new QLineEdit(p);
    positionEdit->setGeometry(238, 40, 100, 30);
    positionEdit->setValidator(new TypingLimit(11, positionEdit));
    positionEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    registerControl(ids::PositionEdit, positionEdit);
    positionEdit->setAccessibleName(QStringLiteral("Target position in steps"));
    connect(positionEdit, &QLineEdit::textChanged, this, &CZentorDlg::OnPositionEditChanged);
    connect(button(ids::PositionSet, p, QRect(344, 38, 60, 34), QStringLiteral("SET")), &QPushButton::clicked, this,
            &CZentorDlg::OnPositionSet);
    indicator(ids::StepIndicator, p, QRect(412, 40, 94, 30), QStringLiteral("_Step N_"));
    connect(button(ids::ZeroPositionSet, p, QRect(10, 86, 160, 34), QStringLiteral("Zero Position Set")),
            &QPushButton::clicked, this, &CZentorDlg::OnZeroPosition);

    // Launchers along the bottom.
    connect(button(ids::SequenceTest, this, QRect(656, 640, 130, 34), QStringLiteral("SEQUENCE TEST")),
            &QPushButton::clicked, this, [this] { OnOpenDialog(ids::SequenceTest); });
    connect(button(ids::Info, this, QRect(794, 640, 70, 34), QStringLiteral("Info.")), &QPushButton::clicked, this,
            &CZentorDlg::OnInfo);
    connect(button(ids::Web, this, QRect(872, 640, 70, 34), QStringLiteral("Web")), &QPushButton::clicked, this, [this] {
        OpenAddress(QUrl(QString::fromLatin1(project::kWebUrl)),
                    QStringLiteral("No web browser could be started.\nThe project's page is %1").arg(QString::fromLatin1(project::kWebUrl)));
    });
    connect(button(ids::Email, this, QRect(950, 640, 70, 34), QStringLiteral("E-mail")), &QPushButton::clicked, this, [this] {
        OpenAddress(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(project::kSupportMail)),
                    QStringLiteral("No mail program could be started.\nWrite to %1").arg(QString::fromLatin1(project::kSupportMail)));
    });
    connect(button(ids::Exit, this, QRect(1070, 640, 100, 34), QStringLiteral("EXIT")), &QPushButton::clicked, this,
            &QDialog::reject);

    // Tool tips.
    control(ids::Web)->setToolTip(QString::fromLatin1(project::kWebHost));
    control(ids::Email)->setToolTip(QString::fromLatin1(project::kSupportMail));
    control(ids::Info)->setToolTip(QStringLiteral("Device Information"));
    control(ids::MotorConfig)->setToolTip(QStringLiteral("Motor Settings Change"));
    control(ids::RpmDisplay)->setToolTip(QStringLiteral("Toggle View RPM Mode"));
    control(ids::AngleDial)->setToolTip(QStringLiteral("View Current Angle Position & Setting Position"));
    chart_->setToolTip(QStringLiteral("Motor current; right-click to save the graph or its samples"));

}

void CZentorDlg::InitWindow()
{
    slaveAddress_ = 100;
    pending_.kind = StatusRead;
    busyGuard_ = 0;
    blinkPhase_ = 0;
    ctrlHeld_ = 0;
    portOpen_ = 0;
    running_ = 0;
    pollPhase_ = 0;
    sequenceRunning_ = 0;
    regs_.settingsChanged = false;
    regs_.image.clear();
    pending_.address = 0;
    pending_.count = 0;
    pending_.value = 0;
    std::fill(std::begin(pending_.block), std::end(pending_.block), 0);
    std::fill(std::begin(statusFrame_), std::end(statusFrame_), 0);
    std::fill(std::begin(commandFrame_), std::end(commandFrame_), 0);
    regs_.values.clear();
    link_.reset();
    awaiting_ = 0;
    configuredBaud_ = 115200;
    RefreshComPortList();
    failureCount_ = 0;
    removalInProgress_ = 0;
    control(ids::LinkLamp)->raise();
    control(ids::LinkLamp)->show();
    RefreshConnectionControls();
    RefreshDigits();
    display_.alarmFlash = false;
    display_.outputView = false;

    series_ = chart_->AddSeries(QStringLiteral("Limit"), QStringLiteral("(A)"), 0, 1100, 1000, 2, QColor(249, 168, 37));
    series_->limit = 800;
    series_->maximum = 1200;
    chart_->Restart(series_);

    dial_->Redraw();
    dial_->SetDegreesMode(false);
    dial_->SetActualShown(true);
    dial_->SetValues(0, 0, 0);

    controlType_ = NoControl;
    stores_.clear();
    auto* types = controlAs<QComboBox>(ids::ControlTypeList);
    types->clear();
    types->insertItem(0, QStringLiteral(" ------ "));
    types->insertItem(1, QStringLiteral(" Speed Control"));
    types->insertItem(2, QStringLiteral(" Position Control"));
    types->setCurrentIndex(0);
    controlAs<QSlider>(ids::SpeedSlider)->setRange(0, 100);
    controlAs<QSlider>(ids::PositionSlider)->setRange(0, 360);
    ResetPanel(NoControl);
    LoadConfiguration();
    control(ids::Select)->setFocus();
}

bool CZentorDlg::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // A Ctrl released while another window had the keyboard is never seen here.
    if (type == QEvent::WindowDeactivate && watched == this) ctrlHeld_ = 0;
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Control) {
        if (type == QEvent::KeyPress) ctrlHeld_ = 1;
        if (type == QEvent::KeyRelease) ctrlHeld_ = 0;
        return type != QEvent::ShortcutOverride;
    }
    // Enter and Escape never close the window, nor press a button.
    if (type == QEvent::KeyPress && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)) return true;
    return QDialog::eventFilter(watched, event);
}

void CZentorDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), panel::kWindowBackground);
}

void CZentorDlg::AttachWindow(int launcherId, SecondaryWindow* window)
{
    windows_.insert(launcherId, window);
    QDialog* dialog = window->dialog();
    // What follows the closing of a window, whether it ran blocking or not.
    connect(dialog, &QDialog::finished, this, [this, launcherId, window] {
        if (openWindow_ == window) openWindow_ = nullptr;
        // A sequence run ends with its window.
        if (launcherId == ids::SequenceTest) sequenceRunning_ = 0;
    });
}

void CZentorDlg::SetInfoPanelMaker(std::function<QWidget*(QWidget*)> maker) { infoPanelMaker_ = std::move(maker); }

void CZentorDlg::LoadConfiguration()
{
    const ConfigLoadResult result = zentor::LoadConfiguration(profile_, stores_);
    configuredBaud_ = stores_.baudRate;
    // What could not be kept is said once, at start-up; the console goes on with the rest.
    if (!result.warnings.isEmpty()) env_.notifier.message(this, result.warnings.join(QLatin1Char('\n')));
}

bool CZentorDlg::WriteProfileValue(const QString& section, const QString& key, const QString& value, QString* reason)
{
    if (profile_.write(section, key, value)) return true;
    if (reason) *reason = profile_.error();
    return false;
}

bool CZentorDlg::SaveUserSequence(int itemCount)
{
    if (!zentor::SaveUserSequence(profile_, stores_.userSequence, itemCount, &stores_.userChecks)) {
        env_.notifier.message(this, QStringLiteral("The sequence list could not be saved.\n%1\n"
                                                   "It is kept until the console ends: Load User Seq. brings it back.")
                                        .arg(profile_.error()));
        return false;
    }
    env_.notifier.message(this, QStringLiteral("Current Sequence Test List was Saved"));
    return true;
}

void CZentorDlg::OnOpenDialog(int id)
{
    SecondaryWindow* window = windows_.value(id);
    if (!window || openWindow_) return;
    openWindow_ = window;
    window->Initialise();
    if (env_.runModal) {
        env_.runModal(*window->dialog());
    } else {
        window->dialog()->exec();
    }
}

void CZentorDlg::NotifyConnectionLost()
{
    if (openWindow_) openWindow_->ConnectionLost();
}

void CZentorDlg::OnInfo()
{
    if (infoPanel_) {
        delete infoPanel_.data();
    } else if (!ctrlHeld_ && infoPanelMaker_) {
        QWidget* panel = infoPanelMaker_(this);
        panel->move(18, 170);
        // Over the picture on the left, directly after it in the stacking order.
        panel->stackUnder(control(ids::LeftPicture));
        panel->raise();
        panel->show();
        infoPanel_ = panel;
    } else {
        return;
    }
    control(ids::Info)->setFocus();
}

void CZentorDlg::OpenAddress(const QUrl& address, const QString& whatFailed)
{
    if (!env_.openUrl || !env_.openUrl(address)) env_.notifier.message(this, whatFailed);
}

}  // namespace zentor
