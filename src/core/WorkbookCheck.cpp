#include "core/WorkbookCheck.h"

#include "core/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <zlib.h>

namespace {

struct Broken
{
    QString what;
};

quint32 le32(const uchar* p)
{
    return p[0] | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

quint16 le16(const uchar* p)
{
    return quint16(p[0] | (p[1] << 8));
}

struct Entry
{
    QString name;
    quint16 method = 0;
    quint32 crc = 0;
    quint32 compressedSize = 0;
    quint32 size = 0;
    quint32 localOffset = 0;
};

// The central directory of a zip held in memory (no zip64: the writer is told not to use it).
QList<Entry> centralDirectory(const uchar* data, qint64 size)
{
    constexpr qint64 kEndRecord = 22;
    qint64 end = size - kEndRecord;
    const qint64 lowest = std::max<qint64>(0, size - kEndRecord - 0xFFFF);
    while (end >= lowest && le32(data + end) != 0x06054b50)
        --end;
    if (end < lowest)
        throw Broken{QStringLiteral("文件末尾没有 zip 目录")};
    const quint16 count = le16(data + end + 10);
    qint64 at = le32(data + end + 16);
    QList<Entry> entries;
    for (int i = 0; i < count; ++i) {
        if (at + 46 > end || le32(data + at) != 0x02014b50)
            throw Broken{QStringLiteral("zip 目录已损坏")};
        Entry e;
        e.method = le16(data + at + 10);
        e.crc = le32(data + at + 16);
        e.compressedSize = le32(data + at + 20);
        e.size = le32(data + at + 24);
        const quint16 nameLength = le16(data + at + 28);
        const qint64 next = at + 46 + nameLength + le16(data + at + 30) + le16(data + at + 32);
        e.localOffset = le32(data + at + 42);
        if (next > end)
            throw Broken{QStringLiteral("zip 目录已损坏")};
        e.name = QString::fromUtf8(reinterpret_cast<const char*>(data + at + 46), nameLength);
        entries << e;
        at = next;
    }
    return entries;
}

// What the checks need of one part: its start, its end and how often "<row " occurs in it.
struct PartText
{
    QByteArray head;
    QByteArray tail;
    qint64 rows = 0;
    QByteArray whole; // only for [Content_Types].xml
};

PartText inflateEntry(const uchar* data, qint64 size, const Entry& e, bool keepWhole)
{
    const qint64 local = e.localOffset;
    if (local + 30 > size || le32(data + local) != 0x04034b50)
        throw Broken{QStringLiteral("“%1”的数据头已损坏").arg(e.name)};
    const qint64 start = local + 30 + le16(data + local + 26) + le16(data + local + 28);
    if (start + e.compressedSize > size)
        throw Broken{QStringLiteral("“%1”不完整").arg(e.name)};

    PartText text;
    quint32 crc = crc32(0, nullptr, 0);
    qint64 produced = 0;
    QByteArray carry; // the end of the last chunk, so that "<row " split across two is counted
    const auto take = [&](const char* bytes, int n) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes), n);
        produced += n;
        if (text.head.size() < 256)
            text.head.append(bytes, std::min<int>(n, 256 - int(text.head.size())));
        if (keepWhole)
            text.whole.append(bytes, n);
        QByteArray window = carry + QByteArray::fromRawData(bytes, n);
        text.rows += window.count("<row ");
        carry = window.right(4);
        text.tail = n >= 256 ? QByteArray(bytes + n - 256, 256) : (text.tail + QByteArray(bytes, n)).right(256);
    };

    if (e.method == 0) {
        take(reinterpret_cast<const char*>(data + start), int(e.compressedSize));
    } else if (e.method == 8) {
        z_stream z = {};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            throw Broken{QStringLiteral("内存不足")};
        z.next_in = const_cast<Bytef*>(data + start);
        z.avail_in = e.compressedSize;
        char out[65536];
        int rc = Z_OK;
        while (rc == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc == Z_OK || rc == Z_STREAM_END)
                take(out, int(sizeof out - z.avail_out));
        }
        inflateEnd(&z);
        if (rc != Z_STREAM_END)
            throw Broken{QStringLiteral("“%1”不完整").arg(e.name)};
    } else {
        throw Broken{QStringLiteral("“%1”的压缩方式未知").arg(e.name)};
    }
    if (produced != e.size || crc != e.crc)
        throw Broken{QStringLiteral("“%1”的校验和不符").arg(e.name)};
    return text;
}

// An XML part whose root element is closed at its end.
void checkXmlPart(const QString& name, const PartText& text)
{
    static const QRegularExpression root(QStringLiteral("^\\s*(?:<\\?xml[^>]*\\?>\\s*)?<([A-Za-z_][\\w:.-]*)"));
    const QRegularExpressionMatch m = root.match(QString::fromUtf8(text.head));
    const QByteArray end = text.tail.trimmed();
    if (!m.hasMatch() || !end.endsWith("</" + m.captured(1).toUtf8() + '>'))
        throw Broken{QStringLiteral("“%1”不完整").arg(name)};
}

} // namespace

void verifyWorkbookPackage(const QString& file, const QList<int>& sheetRows, const QString& shownPath)
{
    const auto broken = [&shownPath](const QString& what) {
        return RuntimeError(ErrorNumber::FileAccess,
                            QStringLiteral("无法保存文件“%1”：写出的工作簿不完整（%2），可能是磁盘或临时文件夹已满。")
                                .arg(QDir::toNativeSeparators(shownPath), what));
    };
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw broken(f.errorString());
    const qint64 size = f.size();
    const uchar* data = size > 0 ? f.map(0, size) : nullptr;
    if (!data)
        throw broken(QStringLiteral("文件为空"));
    try {
        QHash<QString, PartText> parts;
        for (const Entry& e : centralDirectory(data, size)) {
            const bool xml = e.name.endsWith(QStringLiteral(".xml")) || e.name.endsWith(QStringLiteral(".rels"));
            PartText text = inflateEntry(data, size, e, e.name == QStringLiteral("[Content_Types].xml"));
            if (xml)
                checkXmlPart(e.name, text);
            parts.insert(e.name, text);
        }
        const auto it = parts.constFind(QStringLiteral("[Content_Types].xml"));
        if (it == parts.constEnd())
            throw Broken{QStringLiteral("缺少“[Content_Types].xml”")};
        QStringList required{QStringLiteral("_rels/.rels"), QStringLiteral("xl/workbook.xml")};
        static const QRegularExpression partName(QStringLiteral("PartName=\"/([^\"]+)\""));
        for (auto m = partName.globalMatch(QString::fromUtf8(it->whole)); m.hasNext();)
            required << m.next().captured(1);
        for (int k = 0; k < sheetRows.size(); ++k)
            required << QStringLiteral("xl/worksheets/sheet%1.xml").arg(k + 1);
        for (const QString& name : std::as_const(required))
            if (!parts.contains(name))
                throw Broken{QStringLiteral("缺少“%1”").arg(name)};
        for (int k = 0; k < sheetRows.size(); ++k) {
            const qint64 rows = parts.value(QStringLiteral("xl/worksheets/sheet%1.xml").arg(k + 1)).rows;
            if (rows != sheetRows[k])
                throw Broken{
                    QStringLiteral("第 %1 个工作表应有 %2 行，实有 %3 行").arg(k + 1).arg(sheetRows[k]).arg(rows)};
        }
    } catch (const Broken& b) {
        throw broken(b.what);
    }
}
