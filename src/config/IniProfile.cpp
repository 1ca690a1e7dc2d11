#include "IniProfile.h"

#include "WholeFile.h"

#include <QFile>

namespace zentor {

namespace {

// The whole file, read once; a file (or device) with more than kProfileMaxBytes is not read on.
IniProfile::FileState readFile(const QString& path, QByteArray* bytes, QString* reason)
{
    using State = IniProfile::FileState;
    QFile f(path);
    if (!f.exists()) return State::Missing;
    if (!f.open(QIODevice::ReadOnly)) {
        *reason = f.errorString();
        return State::Unreadable;
    }
    if (f.size() > kProfileMaxBytes) return State::TooLarge;
    *bytes = f.read(kProfileMaxBytes + 1);
    if (f.error() != QFileDevice::NoError) {
        *reason = f.errorString();
        return State::Unreadable;
    }
    return bytes->size() > kProfileMaxBytes ? State::TooLarge : State::Read;
}

}  // namespace

IniProfile::IniProfile(QString path) : path_(std::move(path)) {}

IniDocument IniProfile::load(FileState* state) const
{
    QByteArray bytes;
    QString reason;
    const FileState s = readFile(path_, &bytes, &reason);
    if (state) *state = s;
    return s == FileState::Read ? IniDocument::fromBytes(bytes) : IniDocument();
}

QString IniProfile::read(const QString& section, const QString& key, const QString& defaultValue) const
{
    return load().read(section, key, defaultValue);
}

QStringList IniProfile::keys(const QString& section) const { return load().keys(section); }

bool IniProfile::write(const QString& section, const QString& key, const QString& value)
{
    return apply(IniEdit().set(section, key, value));
}

bool IniProfile::removeSection(const QString& section) { return apply(IniEdit().removeSection(section)); }

bool IniProfile::apply(const IniEdit& edit)
{
    error_.clear();
    QByteArray old;
    QString reason;
    const FileState state = readFile(path_, &old, &reason);
    const bool existed = state != FileState::Missing;
    // Rewriting a file we could not read would throw its content away.
    if (state == FileState::Unreadable) {
        error_ = QStringLiteral("Cannot read %1: %2").arg(path_, reason);
        return false;
    }
    if (state == FileState::TooLarge) {
        error_ = QStringLiteral("%1 is larger than 1 MiB, so it is not a configuration file; it is left as it is")
                     .arg(path_);
        return false;
    }
    IniDocument doc = IniDocument::fromBytes(old);
    if (!doc.apply(edit, &error_)) return false;
    const QByteArray bytes = doc.toBytes();
    if (existed && bytes == old) return true;

    if (WriteWholeFile(path_, bytes, &reason)) return true;
    error_ = QStringLiteral("Cannot write %1: %2").arg(path_, reason);
    return false;
}

QString ProfileValue(IniProfile& profile, bool write, const QString& section, const QString& key,
                     const QString& value, bool* ok)
{
    if (!write) {
        if (ok) *ok = true;
        return profile.read(section, key, value);
    }
    const bool written = profile.write(section, key, value);
    if (ok) *ok = written;
    return QString();
}

}  // namespace zentor
