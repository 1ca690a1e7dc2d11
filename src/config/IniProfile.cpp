#include "IniProfile.h"

#include "WholeFile.h"

#include <QFile>

namespace zentor {

IniProfile::IniProfile(QString path) : path_(std::move(path)) {}

IniDocument IniProfile::load() const
{
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return IniDocument();
    return IniDocument::fromBytes(f.readAll());
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
    const bool existed = QFile::exists(path_);
    if (existed) {
        // Rewriting a file we could not read would throw its content away.
        QFile f(path_);
        if (!f.open(QIODevice::ReadOnly)) {
            error_ = QStringLiteral("Cannot read %1: %2").arg(path_, f.errorString());
            return false;
        }
        old = f.readAll();
        if (f.error() != QFileDevice::NoError) {
            error_ = QStringLiteral("Cannot read %1: %2").arg(path_, f.errorString());
            return false;
        }
    }
    IniDocument doc = IniDocument::fromBytes(old);
    if (!doc.apply(edit, &error_)) return false;
    const QByteArray bytes = doc.toBytes();
    if (existed && bytes == old) return true;

    QString reason;
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
