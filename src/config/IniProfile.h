#pragma once
// The console's own reader and writer of one INI file, with the behaviour of the Windows
// profile functions; a failed write says why and leaves the old file as it was.
//
// Reading
// - "[name]" starts a section; "key=value" is an entry; lines whose first non-blank character
//   is ';' or '#' are comments; blank lines and other lines carry nothing.
// - Section and key names match without regard to case; blanks around names and values do not
//   count, and one pair of quotes ('...' or "...") around a whole value is dropped. The first
//   section and the first key of a name win.
// - Text is UTF-16 (little or big endian) after its byte order mark, else UTF-8 (a byte order
//   mark skipped), else Windows-1252 when it is not valid UTF-8. Lines end in CR LF, LF or a
//   lone CR.
// - A file larger than 1 MiB is not a configuration file: it reads as missing and is never
//   rewritten (load tells which).
// - A value read back is cut to 259 characters. A missing or unreadable file, section or key
//   gives the default.
//
// Writing
// - A write replaces the value of an existing key (the key keeps its spelling and the blanks
//   around "=" as written), or adds "key=value" after the last key of its section (after the
//   header when it has none), or adds the section at the end of the file: one blank line (when
//   the file has text and does not already end with one), "[section]", "key=value".
// - Deleting a section removes every section of that name with its keys and comments; its
//   trailing blank lines stay only where they alone separate it from what came before.
// - Every line a write does not change keeps its bytes and its line ending; the byte order mark
//   stays, and the file keeps its encoding: a rewrite changes the bytes of the changed lines only.
//   New lines end like the first line of the file (LF in a new file, which is UTF-8); a last line
//   without an ending gets one when a line follows it. A character Windows-1252 lacks is written
//   to a file in that encoding as '?', as the ANSI profile functions do.
// - Values are single lines: a value holding CR, LF or NUL, a key holding "=" or starting with
//   '[', ';' or '#', or a section name holding "]", is refused and nothing is written.
// - Each write, or each IniEdit with all its steps, is one rewrite: the new text goes to a
//   temporary file beside the file, which then replaces it (a write that changes no byte does
//   not touch the file). On failure the call returns false, error() gives the reason and the old
//   file is intact. An existing file that cannot be read is never rewritten.

#include "IniDocument.h"
#include "IniEdit.h"

#include <QString>
#include <QStringList>

namespace zentor {

// The largest file that is taken for a configuration file.
inline constexpr qint64 kProfileMaxBytes = 1024 * 1024;

class IniProfile {
public:
    enum class FileState { Missing, Read, Unreadable, TooLarge };

    explicit IniProfile(QString path);
    const QString& path() const { return path_; }

    // Reads the whole file once; an empty document when it is missing, cannot be read or is
    // larger than kProfileMaxBytes, and *state (when given) says which.
    IniDocument load(FileState* state = nullptr) const;
    QString read(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    QStringList keys(const QString& section) const;

    bool write(const QString& section, const QString& key, const QString& value);
    bool removeSection(const QString& section);
    bool apply(const IniEdit& edit);
    // Why the last write, removeSection or apply failed; empty after one that succeeded.
    const QString& error() const { return error_; }

private:
    QString path_;
    QString error_;
};

// One read or write of one key, the shape the windows call: with write false it returns the
// value (or defaultValue); with write true it stores value and returns the empty text, and
// *ok (when given) tells whether the file was written; profile.error() says why not.
QString ProfileValue(IniProfile& profile, bool write, const QString& section, const QString& key,
                     const QString& value, bool* ok = nullptr);

}  // namespace zentor
