#include "IniDocument.h"

#include <QStringDecoder>

namespace zentor {

namespace {

using Encoding = IniDocument::Encoding;

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LeBom("\xFF\xFE");
const QByteArray kUtf16BeBom("\xFE\xFF");

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined stand for the control
// characters of the same number, as Windows maps them. 0x00-0x7F and 0xA0-0xFF are Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromCp1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

QByteArray toCp1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        char b = '?';  // what the ANSI functions write for a character the code page lacks
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            b = char(u);
        } else {
            for (int k = 0; k < 32; ++k)
                if (kCp1252High[k] == u) b = char(0x80 + k);
            // A character beyond the 16-bit range is one character, so one '?'.
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        }
        out += b;
    }
    return out;
}

// Every 16-bit unit as it is, so that any UTF-16 text comes back out unchanged.
QString fromUtf16(QByteArrayView bytes, bool bigEndian)
{
    QString out;
    out.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        out += QChar(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return out;
}

QByteArray toUtf16(const QString& text, bool bigEndian)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8);
        const char lo = char(c.unicode() & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

// The text of bytes that are UTF-8 through and through, read back to the same bytes.
std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes) return std::nullopt;
    return text;
}

QByteArray encode(const QString& text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16Le: return toUtf16(text, false);
    case Encoding::Utf16Be: return toUtf16(text, true);
    case Encoding::Windows1252: return toCp1252(text);
    case Encoding::Utf8:
    case Encoding::Utf8WithBom: break;
    }
    return text.toUtf8();
}

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

Parsed parse(const QString& raw)
{
    Parsed p;
    const QString t = trimBlanks(raw);
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
QString valuePrefix(const QString& raw)
{
    qsizetype i = raw.indexOf(QLatin1Char('=')) + 1;
    while (i < raw.size() && (raw[i] == QLatin1Char(' ') || raw[i] == QLatin1Char('\t'))) ++i;
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
    QString text;
    if (bytes.startsWith(kUtf16LeBom) || bytes.startsWith(kUtf16BeBom)) {
        const bool bigEndian = bytes.startsWith(kUtf16BeBom);
        doc.encoding_ = bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le;
        const QByteArrayView units = QByteArrayView(bytes).sliced(2);
        text = fromUtf16(units, bigEndian);
        if (units.size() % 2) doc.oddByte_ = bytes.right(1);
        doc.mark_ = bytes.left(2);
    } else {
        // A UTF-8 mark is skipped even before text that turns out not to be UTF-8.
        const bool bom = bytes.startsWith(kUtf8Bom);
        if (bom) doc.mark_ = kUtf8Bom;
        const QByteArrayView body = QByteArrayView(bytes).sliced(doc.mark_.size());
        if (std::optional<QString> utf8 = strictUtf8(body)) {
            doc.encoding_ = bom ? Encoding::Utf8WithBom : Encoding::Utf8;
            text = *utf8;
        } else {
            doc.encoding_ = Encoding::Windows1252;
            text = fromCp1252(body);
        }
    }

    // Lines end in CR LF, LF or a CR alone, each line as it was saved.
    bool newlineSeen = false;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r')) ++end;
        Line line{text.mid(start, end - start), QString()};
        if (end < text.size()) {
            const bool crlf = text[end] == QLatin1Char('\r') && end + 1 < text.size() && text[end + 1] == QLatin1Char('\n');
            line.ending = text.mid(end, crlf ? 2 : 1);
            if (!newlineSeen) {
                doc.newline_ = line.ending;
                newlineSeen = true;
            }
        }
        start = end + line.ending.size();
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    QString text;
    for (const Line& l : lines_) text += l.text + l.ending;
    return mark_ + encode(text, encoding_) + oddByte_;
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

void IniDocument::appendLine(const QString& text) { insertLine(int(lines_.size()), text); }

void IniDocument::insertLine(int at, const QString& text)
{
    // The line before gets an ending if it was the last line of a file without a final one.
    if (at > 0 && lines_[at - 1].ending.isEmpty()) lines_[at - 1].ending = newline_;
    lines_.insert(lines_.begin() + at, Line{text, newline_});
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString entry = key + QLatin1Char('=') + value;
    const int h = findSection(section);
    if (h < 0) {
        // A new section goes at the end, after one blank line when the file has text.
        if (!lines_.empty() && parse(lines_.back().text).kind != LineKind::Blank) appendLine(QString());
        appendLine(QLatin1Char('[') + section + QLatin1Char(']'));
        appendLine(entry);
        return;
    }
    if (const int k = findKey(h, key); k >= 0) {
        // The key keeps its spelling and the blanks around "=" as written; only the value changes.
        lines_[k].text = valuePrefix(lines_[k].text) + value;
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
