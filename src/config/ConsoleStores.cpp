#include "ConsoleStores.h"

namespace zentor {

void ConsoleStores::clear()
{
    modelList.fill(QString());
    speedPreset.fill(QString());
    positionPreset.fill(QString());
    userSequence.fill(QString());
    userChecks.fill(QString());
    baudRate = kDefaultBaudRate;
}

}  // namespace zentor
