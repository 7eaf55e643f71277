#pragma once

// Shared by the libFuzzer targets: how a byte string becomes texts, and how a broken
// property is reported so that libFuzzer keeps the input.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

// The bytes as UTF-8, as the texts normally arrive. After a leading 0xFF byte (never part of
// UTF-8) the rest is read as raw UTF-16 instead, so unpaired surrogates, which an NVARCHAR
// column can hold, are reached too.
inline QString text(const uint8_t* data, size_t size)
{
    if (size > 0 && data[0] == 0xFF) {
        const qsizetype units = qsizetype((size - 1) / 2);
        QString result(units, Qt::Uninitialized);
        std::memcpy(result.data(), data + 1, size_t(units) * 2);
        return result;
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Several inputs in one: the fields are separated by U+001F (unit separator), which no seed uses
// otherwise; missing fields are empty.
inline QStringList fields(const QString& input, int count)
{
    QStringList result = input.split(QChar(0x1F));
    while (result.size() < count)
        result.append(QString());
    return result;
}

// A readable form of a text for the failure report: escapes for everything outside printable ASCII.
inline QByteArray shown(const QString& s)
{
    QByteArray out = "\"";
    for (const QChar c : s) {
        const ushort u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != '"' && u != '\\')
            out += char(u);
        else
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return out + "\"";
}

[[noreturn]] inline void fail(const char* property, const char* file, int line, const QByteArray& detail)
{
    std::fprintf(stderr, "\n==== broken property at %s:%d: %s\n%s\n", file, line, property, detail.constData());
    std::abort();
}

} // namespace fuzz

// Fails the run (libFuzzer saves the input as a crash) when a property does not hold.
#define FUZZ_CHECK(condition, detail)                                                                                  \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::fuzz::fail(#condition, __FILE__, __LINE__, (detail));                                                    \
    } while (false)
