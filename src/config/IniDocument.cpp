#include "IniDocument.h"

namespace zentor {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

bool isBlankChar(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r'); }

QString trimBlanks(const QString& s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && isBlankChar(s[from])) ++from;
    while (to > from && isBlankChar(s[to - 1])) --to;
    return s.mid(from, to - from);
}

enum class LineKind { Blank, Comment, Section, Entry, Other };

struct Parsed {
    LineKind kind = LineKind::Other;
    QString name;   // section name or key
    QString value;  // entry value, blanks and enclosing quotes removed
};

Parsed parse(const QByteArray& raw)
{
    Parsed p;
    const QString t = trimBlanks(QString::fromUtf8(raw));
    if (t.isEmpty()) {
        p.kind = LineKind::Blank;
    } else if (t[0] == QLatin1Char(';') || t[0] == QLatin1Char('#')) {
        p.kind = LineKind::Comment;
    } else if (t[0] == QLatin1Char('[')) {
        // "[name]"; a header without its closing bracket names the rest of the line.
        p.kind = LineKind::Section;
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        p.name = trimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
    } else if (const qsizetype eq = t.indexOf(QLatin1Char('=')); eq >= 0) {
        p.kind = LineKind::Entry;
        p.name = trimBlanks(t.left(eq));
        p.value = trimBlanks(t.mid(eq + 1));
        // As the Windows reader does: one pair of quotes around the whole value is dropped.
        if (p.value.size() >= 2 && (p.value.front() == QLatin1Char('"') || p.value.front() == QLatin1Char('\'')) &&
            p.value.back() == p.value.front())
            p.value = p.value.mid(1, p.value.size() - 2);
    }
    return p;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString cut(const QString& v)
{
    if (v.size() <= kProfileValueMaxChars) return v;
    qsizetype n = kProfileValueMaxChars;
    // Never leave half of a character made of two UTF-16 units.
    if (v[n - 1].isHighSurrogate()) --n;
    return v.left(n);
}

// The raw line up to where its value starts: the key, "=" and the blanks after it, as written.
QByteArray valuePrefix(const QByteArray& raw)
{
    qsizetype i = raw.indexOf('=') + 1;
    while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
    return raw.left(i);
}

bool hasAny(const QString& s, QStringView chars)
{
    for (QChar c : chars)
        if (s.contains(c)) return true;
    return false;
}

const QString kLineBreaks = QStringLiteral("\r\n") + QChar(0);

}  // namespace

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    QByteArray data = bytes;
    if (data.startsWith(kBom)) {
        doc.bom_ = true;
        data.remove(0, kBom.size());
    }
    bool newlineSeen = false;
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype nl = data.indexOf('\n', start);
        if (nl < 0) {
            doc.lines_.push_back({data.mid(start), QByteArray()});
            break;
        }
        const bool crlf = nl > start && data[nl - 1] == '\r';
        Line line{data.mid(start, nl - start - (crlf ? 1 : 0)), crlf ? QByteArray("\r\n") : QByteArray("\n")};
        if (!newlineSeen) {
            doc.newline_ = line.ending;
            newlineSeen = true;
        }
        doc.lines_.push_back(std::move(line));
        start = nl + 1;
    }
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    if (bom_) out += kBom;
    for (const Line& l : lines_) out += l.text + l.ending;
    return out;
}

int IniDocument::findSection(const QString& section, int from) const
{
    for (int i = from; i < int(lines_.size()); ++i) {
        const Parsed p = parse(lines_[i].text);
        if (p.kind == LineKind::Section && sameName(p.name, section)) return i;
    }
    return -1;
}

int IniDocument::sectionEnd(int header) const
{
    for (int i = header + 1; i < int(lines_.size()); ++i)
        if (parse(lines_[i].text).kind == LineKind::Section) return i;
    return int(lines_.size());
}

int IniDocument::findKey(int header, const QString& key) const
{
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Parsed p = parse(lines_[i].text);
        if (p.kind == LineKind::Entry && sameName(p.name, key)) return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const int h = findSection(trimBlanks(section));
    if (h < 0) return std::nullopt;
    const int k = findKey(h, trimBlanks(key));
    if (k < 0) return std::nullopt;
    return parse(lines_[k].text).value;
}

QString IniDocument::read(const QString& section, const QString& key, const QString& defaultValue) const
{
    return cut(value(section, key).value_or(defaultValue));
}

QStringList IniDocument::keys(const QString& section) const
{
    QStringList out;
    const int h = findSection(trimBlanks(section));
    if (h < 0) return out;
    const int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const Parsed p = parse(lines_[i].text);
        if (p.kind == LineKind::Entry && !out.contains(p.name, Qt::CaseInsensitive)) out << p.name;
    }
    return out;
}

bool IniDocument::apply(const IniEdit& edit, QString* error)
{
    auto refuse = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    // Everything is checked before anything changes, so a refused edit leaves the text as it was.
    for (const IniEdit::Step& s : edit.steps) {
        const QString section = trimBlanks(s.section);
        if (section.isEmpty() || hasAny(section, kLineBreaks) || section.contains(QLatin1Char(']')))
            return refuse(QStringLiteral("The section name \"%1\" cannot be stored in the file").arg(s.section));
        if (s.kind != IniEdit::Kind::SetValue) continue;
        const QString key = trimBlanks(s.key);
        if (key.isEmpty() || hasAny(key, kLineBreaks) || key.contains(QLatin1Char('=')) ||
            key.startsWith(QLatin1Char('[')) || key.startsWith(QLatin1Char(';')) || key.startsWith(QLatin1Char('#')))
            return refuse(QStringLiteral("The key name \"%1\" cannot be stored in the file").arg(s.key));
        if (hasAny(s.value, kLineBreaks))
            return refuse(QStringLiteral("The value of \"%1\" in [%2] holds a line break; values are single lines")
                              .arg(key, section));
    }
    for (const IniEdit::Step& s : edit.steps) {
        if (s.kind == IniEdit::Kind::SetValue)
            setValue(trimBlanks(s.section), trimBlanks(s.key), s.value);
        else
            removeSection(trimBlanks(s.section));
    }
    return true;
}

void IniDocument::appendLine(const QByteArray& text) { insertLine(int(lines_.size()), text); }

void IniDocument::insertLine(int at, const QByteArray& text)
{
    // The line before gets an ending if it was the last line of a file without a final one.
    if (at > 0 && lines_[at - 1].ending.isEmpty()) lines_[at - 1].ending = newline_;
    lines_.insert(lines_.begin() + at, Line{text, newline_});
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray entry = key.toUtf8() + '=' + value.toUtf8();
    const int h = findSection(section);
    if (h < 0) {
        // A new section goes at the end, after one blank line when the file has text.
        if (!lines_.empty() && parse(lines_.back().text).kind != LineKind::Blank) appendLine(QByteArray());
        appendLine('[' + section.toUtf8() + ']');
        appendLine(entry);
        return;
    }
    if (const int k = findKey(h, key); k >= 0) {
        // The key keeps its spelling and the blanks around "=" as written; only the value changes.
        lines_[k].text = valuePrefix(lines_[k].text) + value.toUtf8();
        return;
    }
    // A new key follows the last key of its section (comments and blank lines before the next
    // section stay where they are), or the header when the section has no key.
    int after = h;
    const int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i)
        if (parse(lines_[i].text).kind == LineKind::Entry) after = i;
    insertLine(after + 1, entry);
}

void IniDocument::removeSection(const QString& section)
{
    // Every section of that name goes, so no older copy can surface in a later read.
    for (int h = findSection(section); h >= 0; h = findSection(section, h)) {
        const int end = sectionEnd(h);
        int content = end;
        while (content > h + 1 && parse(lines_[content - 1].text).kind == LineKind::Blank) --content;
        // Its trailing blank lines stay as the separator only when nothing else separates the
        // text before it from the section after it.
        const bool separatedBefore = h == 0 || parse(lines_[h - 1].text).kind == LineKind::Blank;
        lines_.erase(lines_.begin() + h, lines_.begin() + (separatedBefore ? end : content));
    }
}

}  // namespace zentor
