#include "PortWatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace zentor {

PortWatcher::PortWatcher(Clock& clock, PortProvider& ports, QStringList known, QObject* parent)
    : QObject(parent), clock_(clock), ports_(ports), listed_(std::move(known)),
      folders_(std::make_unique<QFileSystemWatcher>())
{
    // A typed path's folder may change often (/tmp): that costs a look at the typed paths
    // alone, never a listing of the system's ports.
    connect(folders_.get(), &QFileSystemWatcher::directoryChanged, this, [this] { compare(false); });
    ports_.watchChanges([this] { changed(); });
}

PortWatcher::~PortWatcher() { ports_.watchChanges({}); }

QStringList PortWatcher::typedPresent() const
{
    QStringList present;
    for (const QString& path : typed_)
        if (QFileInfo::exists(path) && !listed_.contains(path)) present << path;
    return present;
}

QStringList PortWatcher::known() const { return listed_ + typedKnown_; }

void PortWatcher::addTypedPath(const QString& path)
{
    if (!typed_.contains(path)) typed_ << path;
    // The folder tells when the entry comes or goes.
    const QString folder = QFileInfo(path).absolutePath();
    if (!folders_->directories().contains(folder)) folders_->addPath(folder);
    compare(false);
}

void PortWatcher::changed()
{
    if (lookPending_) return;
    lookPending_ = true;
    auto look = [this] {
        if (!lookPending_) return;
        lookPending_ = false;
        check();
    };
    if (runWhenQuiet_) {
        runWhenQuiet_(look);
    } else {
        clock_.callAfter(kSettleMs, this, look);
    }
}

void PortWatcher::check()
{
    lookPending_ = false;
    compare(true);
}

void PortWatcher::compare(bool listSystem)
{
    const QStringList before = known();
    if (listSystem) {
        listed_ = ports_.ports();
    }
    typedKnown_ = typedPresent();
    const QStringList now = known();
    for (const QString& name : before)
        if (!now.contains(name)) emit disappeared(name);
    for (const QString& name : now)
        if (!before.contains(name)) emit appeared(name);
}

}  // namespace zentor
