#include "PortNames.h"

#include <QFileInfo>
#include <algorithm>

namespace zentor {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Compares the digit runs a[i..) and b[j..) by value without converting them, so runs longer
// than any integer still compare right; advances both indices past their runs.
int compareNumber(const QString& a, qsizetype& i, const QString& b, qsizetype& j)
{
    qsizetype ai = i, bj = j;
    while (ai < a.size() && a[ai] == QLatin1Char('0')) ++ai;
    while (bj < b.size() && b[bj] == QLatin1Char('0')) ++bj;
    qsizetype ae = ai, be = bj;
    while (ae < a.size() && isDigit(a[ae])) ++ae;
    while (be < b.size() && isDigit(b[be])) ++be;
    int result = 0;
    if (ae - ai != be - bj) {
        result = ae - ai < be - bj ? -1 : 1;
    } else {
        for (qsizetype k = 0; k < ae - ai; ++k) {
            if (a[ai + k] != b[bj + k]) {
                result = a[ai + k] < b[bj + k] ? -1 : 1;
                break;
            }
        }
    }
    i = ae;
    j = be;
    return result;
}

int naturalCompare(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const int c = compareNumber(a, i, b, j);
            if (c != 0) return c;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace

bool NaturalLess(const QString& a, const QString& b)
{
    const int c = naturalCompare(a, b);
    if (c != 0) return c < 0;
    // "COM02" and "COM2", "com1" and "COM1": equal by nature, still distinct names.
    return a < b;
}

QStringList OrderPortNames(QStringList names)
{
    std::sort(names.begin(), names.end(), NaturalLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (names.size() > kMaxListedPorts) names.resize(kMaxListedPorts);
    return names;
}

bool IsDevicePath(const QString& name)
{
    if (name.isEmpty()) return false;
    return name.startsWith(QLatin1Char('/')) || QFileInfo::exists(name);
}

}  // namespace zentor
