#pragma once
// The text of one INI file held as its lines, with the profile reading and the edits that
// keep every untouched line byte for byte. The rules are written out in IniProfile.h.

#include "IniEdit.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zentor {

// A value read back holds at most this many characters.
inline constexpr int kProfileValueMaxChars = 259;

class IniDocument {
public:
    // The forms a Windows PC saves the file in. Text that is not valid UTF-8 and has no UTF-16
    // byte order mark is Windows-1252, which the ANSI profile functions leave on a Western PC.
    enum class Encoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be, Windows1252 };

    IniDocument() = default;
    static IniDocument fromBytes(const QByteArray& bytes);
    // The text in the encoding it came in, every line with its own ending.
    QByteArray toBytes() const;

    // The value of the first key of that name in the first section of that name, cut to
    // kProfileValueMaxChars; defaultValue (also cut) when the section or the key is missing.
    QString read(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    // The value as stored (blanks and one pair of enclosing quotes removed), not cut.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // The key names of the first section of that name, in file order, each once.
    QStringList keys(const QString& section) const;

    // Applies every step of the edit in order, or none: false (with the reason in *error)
    // when a name or a value cannot be stored as one line of this format.
    bool apply(const IniEdit& edit, QString* error = nullptr);

private:
    struct Line {
        QString text;    // without its line ending
        QString ending;  // "\r\n", "\n", "\r" or empty for a last line without one
    };

    int findSection(const QString& section, int from = 0) const;
    int sectionEnd(int header) const;
    int findKey(int header, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeSection(const QString& section);
    void appendLine(const QString& text);
    void insertLine(int at, const QString& text);

    Encoding encoding_ = Encoding::Utf8;
    QString newline_ = QStringLiteral("\n");  // the ending of new lines: the file's own, else "\n"
    QByteArray mark_;     // the byte order mark the file starts with, if any
    QByteArray oddByte_;  // a last byte that halves a UTF-16 unit, kept at the end
    std::vector<Line> lines_;
};

}  // namespace zentor
