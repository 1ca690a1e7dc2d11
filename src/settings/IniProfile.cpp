#include "IniProfile.h"

#include <QFile>
#include <QSaveFile>

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

    // Unbuffered, so that a short write (a full disk) is seen here: a buffered save file can
    // take a cut-off text for a complete one.
    QSaveFile out(path_);
    auto fail = [&] {
        error_ = QStringLiteral("Cannot write %1: %2").arg(path_, out.errorString());
        out.cancelWriting();
        return false;
    };
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail();
    for (qint64 done = 0; done < bytes.size();) {
        // After a short write the next one fails and tells the system's reason.
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return fail();
        done += n;
    }
    if (!out.commit()) return fail();
    return true;
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
