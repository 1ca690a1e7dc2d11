#include "WinSerialDevice.h"

#include <QMetaObject>
#include <algorithm>
#include <system_error>

#include <windows.h>

namespace zentor {

namespace {

constexpr DWORD kQueueBytes = 1024;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

HANDLE asHandle(void* h) { return static_cast<HANDLE>(h); }

QString systemText(DWORD code) { return qt_error_string(static_cast<int>(code)).trimmed(); }

// An overlapped operation that did not finish at once: waits for it (or for stop, when given)
// and returns whether it completed; *bytes gets its count.
bool finish(HANDLE port, OVERLAPPED& op, DWORD* bytes, HANDLE stop, DWORD timeoutMs = INFINITE)
{
    const HANDLE waits[2] = {op.hEvent, stop};
    const DWORD w = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, timeoutMs);
    if (w != WAIT_OBJECT_0) {
        // Taken back: stop was asked for, or the time ran out. The count is what went through.
        CancelIoEx(port, &op);
        GetOverlappedResult(port, &op, bytes, TRUE);
        return false;
    }
    return GetOverlappedResult(port, &op, bytes, FALSE) != 0;
}

}  // namespace

WinSerialDevice::WinSerialDevice(const QString& name) : name_(name) {}

WinSerialDevice::~WinSerialDevice() { close(); }

QString WinSerialDevice::DevicePath(const QString& name)
{
    const QString prefix = QStringLiteral("\\\\.\\");
    return name.startsWith(prefix) ? name : prefix + name;
}

OpenFailure::Kind WinSerialDevice::FailureKind(unsigned long errorCode)
{
    switch (errorCode) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
        return OpenFailure::NotFound;
    // A COM port opens for one program at a time: refused means another one holds it.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return OpenFailure::Busy;
    default:
        return OpenFailure::Other;
    }
}

bool WinSerialDevice::open(int baudRate)
{
    if (handle_) return true;
    closed_ = false;
    failed_ = false;
    failure_ = {};
    auto fail = [this](OpenFailure::Kind kind, DWORD code) {
        failure_ = {kind, code ? systemText(code) : QString()};
        closeHandles();
        return false;
    };
    if (baudRate <= 0) return fail(OpenFailure::BaudRateRefused, 0);

    const std::wstring path = DevicePath(name_).toStdWString();
    HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return fail(FailureKind(code), code);
    }
    handle_ = port;
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    writeEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent_ || !writeEvent_) return fail(OpenFailure::Other, GetLastError());

    // Reads return at once with whatever has arrived; writes are timed by write() itself.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommMask(port, EV_RXCHAR) || !SetupComm(port, kQueueBytes, kQueueBytes) || !PurgeComm(port, kPurgeAll)
        || !SetCommTimeouts(port, &timeouts))
        return fail(OpenFailure::Other, GetLastError());

    // The port's own settings are kept but for the line format and the handshakes: 8N1, the
    // baud rate of the link, no flow control.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return fail(OpenFailure::Other, GetLastError());
    dcb.BaudRate = static_cast<DWORD>(baudRate);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(port, &dcb)) {
        const DWORD code = GetLastError();
        return fail(code == ERROR_INVALID_PARAMETER ? OpenFailure::BaudRateRefused : OpenFailure::Other, code);
    }

    context_ = std::make_unique<QObject>();
    try {
        watcher_ = std::thread([this] { watch(); });
    } catch (const std::system_error&) {
        return fail(OpenFailure::Other, GetLastError());
    }
    return true;
}

void WinSerialDevice::watch()
{
    const HANDLE port = asHandle(handle_);
    const HANDLE stop = asHandle(stopEvent_);
    const HANDLE waitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto stopped = [stop] { return WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; };
    bool ok = waitEvent && readEvent && SetCommMask(port, EV_RXCHAR);
    while (ok && !stopped()) {
        OVERLAPPED waitOp{};
        waitOp.hEvent = waitEvent;
        DWORD mask = 0;
        DWORD unused = 0;
        if (!WaitCommEvent(port, &mask, &waitOp)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                ok = false;
                break;
            }
            // Wine completes the wait at once, as aborted and with an empty mask: only a port
            // that cannot even tell its state has gone (the adapter was pulled out).
            finish(port, waitOp, &unused, stop);
            if (stopped()) break;
        }
        // Whatever is waiting is read, whatever the mask says. The read returns at once with
        // what has arrived; under Wine it waits for the next bytes, so stop must cut it short.
        for (;;) {
            DWORD errors = 0;
            COMSTAT status{};
            if (!ClearCommError(port, &errors, &status)) {
                ok = false;
                break;
            }
            char buffer[kQueueBytes];
            OVERLAPPED readOp{};
            readOp.hEvent = readEvent;
            DWORD got = 0;
            if (!ReadFile(port, buffer, sizeof buffer, &got, &readOp)) {
                if (GetLastError() != ERROR_IO_PENDING || !finish(port, readOp, &got, stop)) got = 0;
            }
            if (got == 0) break;
            deliver(QByteArray(buffer, static_cast<qsizetype>(got)));
            if (got < sizeof buffer) break;
        }
    }
    if (waitEvent) CloseHandle(waitEvent);
    if (readEvent) CloseHandle(readEvent);
    if (!ok && !stopped()) reportFailure();
}

void WinSerialDevice::deliver(QByteArray bytes)
{
    const unsigned generation = generation_.load();
    QMetaObject::invokeMethod(context_.get(), [this, generation, bytes = std::move(bytes)] {
        if (closed_ || generation != generation_.load()) return;
        // The owner may destroy this device while it handles the burst: nothing is touched after.
        if (onReceived) onReceived(bytes);
    }, Qt::QueuedConnection);
}

void WinSerialDevice::reportFailure()
{
    if (failed_.exchange(true)) return;
    // Told on the owner's thread, after the watch thread has ended, so the owner may destroy
    // the device in its handler.
    QMetaObject::invokeMethod(context_.get(), [this] {
        if (closed_) return;
        if (watcher_.joinable()) watcher_.join();
        closeHandles();
        if (onFailed) onFailed();
    }, Qt::QueuedConnection);
}

int64_t WinSerialDevice::write(const uint8_t* data, int64_t count, int timeoutMs)
{
    if (!handle_ || count <= 0) return 0;
    const HANDLE port = asHandle(handle_);
    const int limitMs = timeoutMs > 0 ? std::min(timeoutMs, kWriteSafetyLimitMs) : kWriteSafetyLimitMs;
    OVERLAPPED op{};
    op.hEvent = asHandle(writeEvent_);
    ResetEvent(op.hEvent);
    DWORD written = 0;
    const DWORD n = static_cast<DWORD>(std::min<int64_t>(count, MAXDWORD));
    if (WriteFile(port, data, n, &written, &op)) return written;
    if (GetLastError() != ERROR_IO_PENDING || !finish(port, op, &written, nullptr, static_cast<DWORD>(limitMs))) {
        DWORD errors = 0;
        ClearCommError(port, &errors, nullptr);
        // The rest of a timed-out request must not reach the line later, in front of the next one.
        PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR);
    }
    return written;
}

void WinSerialDevice::purge()
{
    if (!handle_) return;
    ++generation_;
    PurgeComm(asHandle(handle_), kPurgeAll);
}

void WinSerialDevice::close()
{
    closed_ = true;
    if (watcher_.joinable()) {
        SetEvent(asHandle(stopEvent_));
        // Also wakes a waiting WaitCommEvent.
        SetCommMask(asHandle(handle_), 0);
        watcher_.join();
    }
    closeHandles();
    context_.reset();
}

void WinSerialDevice::closeHandles()
{
    for (void** h : {&handle_, &stopEvent_, &writeEvent_}) {
        if (*h) CloseHandle(asHandle(*h));
        *h = nullptr;
    }
}

}  // namespace zentor
