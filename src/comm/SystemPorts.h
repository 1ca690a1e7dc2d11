#pragma once
// The machine's own serial ports as a PortProvider: the names the system lists, in natural
// order, at most 40, and a QtSerialDevice for a listed name or for a device path.

#include "PortProvider.h"

#include <QString>
#include <memory>

namespace zentor {

class SystemPortProvider final : public PortProvider {
public:
    QStringList ports() const override;
    // Also serves a name that is not listed but names a device file (/dev/pts/7, a symlink),
    // so a pseudo terminal can be opened by its path.
    std::unique_ptr<SerialDevice> create(const QString& name) override;

    // Why the last device this provider made failed to open ("Permission denied", ...).
    QString lastOpenError() const { return *openError_; }

private:
    std::shared_ptr<QString> openError_ = std::make_shared<QString>();
};

}  // namespace zentor
