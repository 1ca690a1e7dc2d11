#pragma once
// A file that grows by whole records (CSV rows, lines) and never keeps a part of one: each
// record goes to the system in full as it is appended; a write that fails cuts the file back
// to its last whole record and closes it, with the file and the system's reason kept.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

namespace zentor::record {

class RecordFile {
public:
    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Creates the file, or empties it. False when it cannot: error() says why.
    bool open(const QString& path);
    // Writes the record whole. False when it did not go out whole: the file is then cut back
    // to the records before it and closed, and error() names the file and the reason.
    bool append(const QByteArray& record);
    void close();

    bool isOpen() const { return file_.isOpen(); }
    QString path() const { return path_; }
    QString error() const { return error_; }
    int64_t records() const { return records_; }
    int64_t bytes() const { return whole_; }

private:
    void fail(const QString& reason);

    QFile file_;
    QString path_;
    QString error_;
    int64_t whole_ = 0;  // bytes of the records written whole
    int64_t records_ = 0;
};

}  // namespace zentor::record
