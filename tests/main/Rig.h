#pragma once
// A main window in virtual time, with the simulated drivers as its ports and a probe on the
// open port that records every request and can answer from a script instead of a driver.

#include "ConsoleAssembly.h"
#include "ControlIds.h"
#include "ModbusFrames.h"
#include "Crc16Modbus.h"
#include "Notifier.h"
#include "SimPort.h"
#include "VirtualClock.h"
#include "ZentorDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

namespace zentor::testing {

struct Sent {
    int64_t at;
    QByteArray frame;
    int function() const { return frame.size() > 1 ? uint8_t(frame[1]) : -1; }
};

// Bursts of an answer: (milliseconds after the request, bytes).
using Script = std::function<std::vector<std::pair<int, QByteArray>>(const QByteArray& request)>;

class ProbeDevice final : public SerialDevice {
public:
    ProbeDevice(Clock& clock, std::unique_ptr<SerialDevice> inner, Script script, std::vector<Sent>& log, bool& closed,
                const int& writeLimit)
        : clock_(clock), inner_(std::move(inner)), script_(std::move(script)), log_(log), closed_(closed),
          writeLimit_(writeLimit)
    {
        if (inner_) {
            inner_->onReceived = [this](const QByteArray& b) { if (onReceived) onReceived(b); };
            inner_->onFailed = [this] { if (onFailed) onFailed(); };
        }
    }
    OpenFailure openFailure() const override { return inner_ ? inner_->openFailure() : OpenFailure{OpenFailure::Other, {}}; }
    bool open(int baud) override
    {
        closed_ = false;
        return inner_ ? inner_->open(baud) : bool(script_);
    }
    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override
    {
        const QByteArray frame(reinterpret_cast<const char*>(data), int(count));
        log_.push_back({clock_.nowMs(), frame});
        // A line that takes fewer bytes than asked: the write comes back short.
        if (writeLimit_ >= 0 && count > writeLimit_) count = writeLimit_;
        if (inner_) return count > 0 ? inner_->write(data, count, timeoutMs) : 0;
        for (auto& [delay, bytes] : script_(frame)) {
            QByteArray b = bytes;
            clock_.callAfter(delay, &context_, [this, b] { if (onReceived) onReceived(b); });
        }
        return count;
    }
    void purge() override
    {
        if (inner_) inner_->purge();
    }
    void close() override
    {
        closed_ = true;
        if (inner_) inner_->close();
    }

private:
    Clock& clock_;
    std::unique_ptr<SerialDevice> inner_;
    Script script_;
    std::vector<Sent>& log_;
    bool& closed_;
    const int& writeLimit_;
    QObject context_;
};

class ProbePorts final : public PortProvider {
public:
    ProbePorts(Clock& clock, sim::SimPortProvider& sim) : clock_(clock), sim_(sim) {}
    QStringList ports() const override
    {
        listedAt.push_back(clock_.nowMs());
        return hidden_ ? QStringList() : sim_.ports() + scripted_;
    }
    std::unique_ptr<SerialDevice> create(const QString& name) override
    {
        if (scripted_.contains(name) || unlisted_.contains(name))
            return std::make_unique<ProbeDevice>(clock_, nullptr, script, sent, closed, writeLimit);
        auto inner = sim_.create(name);
        if (!inner && fallback) inner = fallback->create(name);
        if (!inner) return nullptr;
        return std::make_unique<ProbeDevice>(clock_, std::move(inner), Script(), sent, closed, writeLimit);
    }
    void addScripted(const QString& name) { scripted_ << name; }
    // Served when asked for by name, never listed: a device path the operator types.
    void addUnlisted(const QString& name) { unlisted_ << name; }
    void watchChanges(std::function<void()> changed) override { sim_.watchChanges(std::move(changed)); }

    Script script;
    std::vector<Sent> sent;
    bool closed = false;
    // >= 0: every write puts at most this many bytes on the line (a short write).
    int writeLimit = -1;
    bool hidden_ = false;
    mutable std::vector<int64_t> listedAt;  // when the ports were listed
    PortProvider* fallback = nullptr;         // serves the names nobody else does

private:
    Clock& clock_;
    sim::SimPortProvider& sim_;
    QStringList scripted_;
    QStringList unlisted_;
};

// Records message texts. A message box runs its own event loop in the real program, so
// timers and serial bytes go on while it is open: whileShown imitates that.
class TestNotifier final : public Notifier {
public:
    void message(QWidget* parent, const QString& text) override { message(parent, text, QString()); }
    void message(QWidget*, const QString& text, const QString& secondary) override
    {
        texts.append(text);
        details.append(secondary);
        if (whileShown) whileShown();
    }
    QString last() const { return texts.isEmpty() ? QString() : texts.last(); }
    QStringList texts;
    QStringList details;  // the secondary text of each message, empty when it had none
    std::function<void()> whileShown;
};


struct Rig {
    // configFile: the configuration file's text before the console starts (none when empty).
    explicit Rig(sim::SimTiming timing = {}, const QByteArray& configFile = {}) : sim(clock, timing), ports(clock, sim)
    {
        if (!configFile.isEmpty()) {
            QFile f(configPath());
            if (f.open(QIODevice::WriteOnly)) f.write(configFile);
        }
        sim.addPort(QStringLiteral("SIM-SPEED"), SpeedControl);
        sim.addPort(QStringLiteral("SIM-POSITION"), PositionControl);
        ports.addScripted(QStringLiteral("SCRIPTED"));
        // A modal window returns at once, as a test needs; its closing still ends it.
        ConsoleEnv env{clock, notes, ports,
                       [this](const QUrl& u) {
                           urls << u;
                           return urlsOpen;
                       },
                       [](QDialog& dialog) { dialog.open(); }, configPath(),
                       [this](QWidget*, const QString& title, const QString& proposed, const QString&) {
                           saveTitles << title;
                           saveProposals << proposed;
                           return saveAs;
                       }};
        w = std::make_unique<CZentorDlg>(env);
        AssembleConsole(*w);
    }

    QString configPath() const { return config.filePath(QStringLiteral("Zentor_CFG.ini")); }
    template <class W>
    W* get(int id) { return w->controlAs<W>(id); }
    QString text(int id)
    {
        QWidget* c = w->control(id);
        if (auto* l = qobject_cast<QLabel*>(c)) return l->text();
        if (auto* b = qobject_cast<QPushButton*>(c)) return b->text();
        if (auto* e = qobject_cast<QLineEdit*>(c)) return e->text();
        return {};
    }
    void press(int id) { get<QPushButton>(id)->click(); }
    void after(int64_t ms) { clock.advance(ms); }
    void choosePort(const QString& name)
    {
        auto* list = get<QComboBox>(ids::ComPortList);
        list->setCurrentIndex(list->findText(name));
    }
    void selectType(int type)
    {
        get<QComboBox>(ids::ControlTypeList)->setCurrentIndex(type);
        press(ids::Select);
        after(500);
    }
    void open(const QString& name)
    {
        choosePort(name);
        press(ids::OpenClose);
        after(500);
    }
    // Selects the type, opens the port and starts; the time is then the moment of Start.
    void start(const QString& name, int type)
    {
        selectType(type);
        open(name);
        ports.sent.clear();
        press(ids::StartStop);
    }
    std::vector<Sent> sentWith(int function) const
    {
        std::vector<Sent> out;
        for (const Sent& s : ports.sent)
            if (s.function() == function) out.push_back(s);
        return out;
    }
    sim::SimDriver& driver(const QString& name) { return *sim.driver(name); }

    // The configuration file lives in a folder of the test's own.
    QTemporaryDir config;
    VirtualClock clock;
    TestNotifier notes;
    sim::SimPortProvider sim;
    ProbePorts ports;
    QList<QUrl> urls;
    bool urlsOpen = true;  // whether the system has a handler for the addresses
    // The file the operator chooses when asked for one to write (empty: cancelled), and what
    // the console asked with.
    QString saveAs;
    QStringList saveTitles;
    QStringList saveProposals;
    std::unique_ptr<CZentorDlg> w;
};

}  // namespace zentor::testing
