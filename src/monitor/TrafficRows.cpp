#include "TrafficRows.h"

#include "DriverCommands.h"
#include "ModbusFrames.h"

namespace zentor::monitor {

namespace {

int u8(const QByteArray& f, int i) { return static_cast<uint8_t>(f[i]); }
int u16(const QByteArray& f, int i) { return u8(f, i) << 8 | u8(f, i + 1); }
QString hex4(int v) { return QString::number(v, 16).toUpper().rightJustified(4, QLatin1Char('0')); }
QString hex2(int v) { return QString::number(v, 16).toUpper().rightJustified(2, QLatin1Char('0')); }
QString registers(int n) { return n == 1 ? QStringLiteral("1 register") : QStringLiteral("%1 registers").arg(n); }

// The register values of a block, "0 1200"; at most a few, then "...".
QString Values(const QByteArray& f, int from, int count)
{
    constexpr int kShown = 8;
    QStringList v;
    for (int i = 0; i < count && i < kShown && from + 2 * i + 1 < f.size(); ++i) v << QString::number(u16(f, from + 2 * i));
    if (count > kShown) v << QStringLiteral("...");
    return v.join(QLatin1Char(' '));
}

QString DecodeRequest(const QByteArray& f)
{
    const int function = u8(f, 1);
    switch (function) {
    case 0x03:
        if (f.size() < 6) break;
        return QStringLiteral("read %1 from %2").arg(registers(u16(f, 4))).arg(u16(f, 2));
    case 0x06: {
        if (f.size() < 6) break;
        const int reg = u16(f, 2), value = u16(f, 4);
        if (reg == kIdentityChangeRegister) return QStringLiteral("change of address to %1").arg(value);
        if (reg == kApplySettingsRegister && value == kApplySettingsValue) return QStringLiteral("apply settings (0xF001 = 0xA1A1)");
        return QStringLiteral("write register %1 = %2 (0x%3)").arg(reg).arg(value).arg(hex4(value));
    }
    case 0x10: {
        if (f.size() < 7) break;
        const int count = u16(f, 4);
        return QStringLiteral("write %1 from %2: %3").arg(registers(count)).arg(u16(f, 2)).arg(Values(f, 7, count));
    }
    default:
        return QStringLiteral("function %1").arg(hex2(function));
    }
    return QStringLiteral("function %1, cut short").arg(hex2(function));
}

QString DecodeAnswer(const QByteArray& f)
{
    const int function = u8(f, 1);
    if (function & 0x80) {
        if (f.size() < 3) return QStringLiteral("exception answer to function %1, cut short").arg(hex2(function & 0x7F));
        const int code = u8(f, 2);
        const QString name = ExceptionName(code);
        return QStringLiteral("exception %1 to function %2%3")
            .arg(hex2(code), hex2(function & 0x7F), name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name));
    }
    switch (function) {
    case 0x03: {
        if (f.size() < 3) break;
        const int bytes = u8(f, 2);
        return QStringLiteral("%1 (%2 bytes)").arg(registers(bytes / 2)).arg(bytes);
    }
    case 0x06:
        if (f.size() < 6) break;
        return QStringLiteral("register %1 = %2 (0x%3) echoed").arg(u16(f, 2)).arg(u16(f, 4)).arg(hex4(u16(f, 4)));
    case 0x10:
        if (f.size() < 6) break;
        return QStringLiteral("%1 from %2 written").arg(registers(u16(f, 4))).arg(u16(f, 2));
    default:
        return QStringLiteral("function %1").arg(hex2(function));
    }
    return QStringLiteral("function %1, cut short").arg(hex2(function));
}

}  // namespace

TrafficRow MakeTrafficRow(const TrafficEvent& e, int64_t portOpenedAtUs)
{
    TrafficRow r;
    switch (e.kind) {
    case TrafficEvent::PortOpened: r.kind = TrafficRow::PortOpened; break;
    case TrafficEvent::PortClosed: r.kind = TrafficRow::PortClosed; break;
    case TrafficEvent::Request: r.kind = TrafficRow::Request; break;
    case TrafficEvent::Answer: r.kind = TrafficRow::Answer; break;
    }
    r.sinceOpenUs = portOpenedAtUs < 0 ? -1 : e.atUs - portOpenedAtUs;
    r.bytes = e.bytes;
    r.written = e.written;
    r.check = e.check;
    r.roundTripMs = e.roundTripMs;
    r.port = e.port;
    return r;
}

QString TrafficColumnTitle(int column)
{
    switch (column) {
    case TimeColumn: return QStringLiteral("Time (ms)");
    case DirectionColumn: return QStringLiteral("Dir");
    case BytesColumn: return QStringLiteral("Bytes");
    case DecodedColumn: return QStringLiteral("Decoded");
    case CheckColumn: return QStringLiteral("Check");
    case RoundTripColumn: return QStringLiteral("Round trip (ms)");
    default: return {};
    }
}

QString TrafficCell(const TrafficRow& r, int column)
{
    switch (column) {
    case TimeColumn:
        if (r.kind == TrafficRow::Gap || r.sinceOpenUs < 0) return {};
        // Milliseconds with a tenth, rounded down as a clock reads.
        return QStringLiteral("%1.%2").arg(r.sinceOpenUs / 1000).arg(r.sinceOpenUs % 1000 / 100);
    case DirectionColumn:
        switch (r.kind) {
        case TrafficRow::Request: return QStringLiteral("out");
        case TrafficRow::Answer: return QStringLiteral("in");
        case TrafficRow::PortOpened:
        case TrafficRow::PortClosed: return QStringLiteral("port");
        case TrafficRow::Gap: return {};
        }
        return {};
    case BytesColumn:
        return r.kind == TrafficRow::Request || r.kind == TrafficRow::Answer ? HexBytes(r.bytes) : QString();
    case DecodedColumn:
        switch (r.kind) {
        case TrafficRow::Request:
        case TrafficRow::Answer: return DecodeFrame(r.bytes, r.kind == TrafficRow::Answer);
        case TrafficRow::PortOpened: return QStringLiteral("%1 opened").arg(r.port);
        case TrafficRow::PortClosed: return QStringLiteral("%1 closed").arg(r.port);
        case TrafficRow::Gap: return QStringLiteral("the view was closed: frames meanwhile are not listed");
        }
        return {};
    case CheckColumn:
        if (r.kind == TrafficRow::Answer) return CheckText(r.check);
        if (r.kind == TrafficRow::Request && r.written < r.bytes.size())
            return QStringLiteral("short write: %1 of %2 bytes").arg(r.written).arg(r.bytes.size());
        return {};
    case RoundTripColumn:
        return r.kind == TrafficRow::Answer && r.roundTripMs >= 0 ? QString::number(r.roundTripMs) : QString();
    default:
        return {};
    }
}

QString HexBytes(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

QString DecodeFrame(const QByteArray& f, bool answer)
{
    if (f.size() < 2) return QStringLiteral("%1 byte%2, too short for a frame").arg(f.size()).arg(QLatin1String(f.size() == 1 ? "" : "s"));
    const int slave = u8(f, 0);
    QString who = QStringLiteral("slave %1").arg(slave);
    if (slave == 0 && !answer) who = u8(f, 1) == 0x03 ? QStringLiteral("slave 0 (any driver)") : QStringLiteral("broadcast");
    return who + QStringLiteral(": ") + (answer ? DecodeAnswer(f) : DecodeRequest(f));
}

QString CheckText(int check)
{
    if (check == 0) return QStringLiteral("not awaited");
    return QString::fromLatin1(ResponseCheckName(check));
}

QString ExceptionName(int code)
{
    switch (code) {
    case 1: return QStringLiteral("illegal function");
    case 2: return QStringLiteral("illegal data address");
    case 3: return QStringLiteral("illegal data value");
    case 4: return QStringLiteral("slave device failure");
    case 5: return QStringLiteral("acknowledge");
    case 6: return QStringLiteral("slave device busy");
    default: return {};
    }
}

QStringList TrafficCsvHeader()
{
    return {QStringLiteral("time_ms"), QStringLiteral("direction"), QStringLiteral("bytes"), QStringLiteral("decoded"),
            QStringLiteral("check"), QStringLiteral("round_trip_ms")};
}

QStringList TrafficCsvFields(const TrafficRow& row)
{
    QStringList f;
    for (int c = 0; c < kTrafficColumns; ++c) f << TrafficCell(row, c);
    return f;
}

}  // namespace zentor::monitor
