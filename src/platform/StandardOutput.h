#pragma once
// Standard output of the programs (zentor-cli's results, the console's printed messages),
// gathered in the stream's buffer and handed to the system before the program next sleeps.
// Every write and every flush is checked; the first failure is reported once with the
// system's reason, and nothing more is written after it.

#include <QString>
#include <cstdio>
#include <functional>

namespace zentor {

class StandardOutput {
public:
    explicit StandardOutput(std::FILE* stream) : stream_(stream) {}

    // One line of results; the line end is added. False once writing has failed.
    bool writeLine(const QString& line);
    // Text as it is (the usage). False once writing has failed.
    bool write(const char* text);
    // Hands what is gathered to the system. False once writing has failed.
    bool flush();

    bool failed() const { return failed_; }
    // The system's reason for the failure ("No space left on device", "Broken pipe").
    const QString& error() const { return error_; }
    // Called once, at the failure, with error().
    std::function<void(const QString& reason)> onFailed;

private:
    bool put(const char* data, size_t size);
    bool fail();

    std::FILE* stream_;
    bool failed_ = false;
    QString error_;
};

}  // namespace zentor
