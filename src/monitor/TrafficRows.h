#pragma once
// The traffic view's rows as plain data and text: what each frame the console wrote or took
// was (time since the port was opened, direction, bytes, a decoding of its fields, the check
// of an answer and its round trip), the cells of the table and the rows of its CSV file.

#include "ConsoleHost.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace zentor::monitor {

struct TrafficRow {
    // Gap: the view was closed for a while and saw nothing of the line meanwhile.
    enum Kind { Request, Answer, PortOpened, PortClosed, Gap };
    Kind kind = Request;
    int64_t sinceOpenUs = -1;  // -1: not known (no port open)
    QByteArray bytes;
    int written = 0;           // Request: bytes that went out
    int check = 0;             // Answer: the ResponseCheck; 0 when nothing awaited it
    int64_t roundTripMs = -1;  // Answer
    QString port;              // PortOpened, PortClosed
};

// portOpenedAtUs: when the port of the event was opened (the clock's microseconds), -1 when
// not known.
TrafficRow MakeTrafficRow(const TrafficEvent& event, int64_t portOpenedAtUs);

enum TrafficColumn : int { TimeColumn, DirectionColumn, BytesColumn, DecodedColumn, CheckColumn, RoundTripColumn,
                           kTrafficColumns };

QString TrafficColumnTitle(int column);
QString TrafficCell(const TrafficRow& row, int column);

// "64 03 00 00 00 22 CC 26".
QString HexBytes(const QByteArray& bytes);
// The fields of a frame in words: its slave, function, register, quantity or value, or the
// exception code of an answer with bit 7 of its function set. answer: the frame came from
// the driver.
QString DecodeFrame(const QByteArray& frame, bool answer);
// The name of an answer's check ("applied", "checksum mismatch", ..., "not awaited").
QString CheckText(int check);
// The name of a Modbus exception code.
QString ExceptionName(int code);

// The CSV file of the view: a header, then one line per row with the cells of the table.
QStringList TrafficCsvHeader();
QStringList TrafficCsvFields(const TrafficRow& row);

}  // namespace zentor::monitor
