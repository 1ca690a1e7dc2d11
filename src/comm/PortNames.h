#pragma once
// Port names as the console lists them: in natural order (COM2 before COM10), at most 40,
// and the test that tells a device path from a port name.

#include <QString>
#include <QStringList>

namespace zentor {

constexpr int kMaxListedPorts = 40;

// Natural order: runs of digits compare by their value, the text between them without
// regard to case; names that still tie compare exactly, so the order is total.
bool NaturalLess(const QString& a, const QString& b);

// Sorted in natural order, duplicates dropped, at most kMaxListedPorts names kept.
QStringList OrderPortNames(QStringList names);

// A name the system list need not contain because it names a device file itself
// (/dev/pts/5, a symlink made for a test rig).
bool IsDevicePath(const QString& name);

}  // namespace zentor
