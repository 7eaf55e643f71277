#include "core/CodePage.h"

#include <QByteArray>
#include <cerrno>
#include <iconv.h>

namespace {
// One conversion, UTF-16 to the code page and back; false on any character it cannot map.
bool roundTrips(const QString& text, const QByteArray& codePage)
{
    iconv_t to = iconv_open(codePage.constData(), "UTF-16LE");
    if (to == iconv_t(-1))
        return false;
    QByteArray in(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QByteArray out(in.size() * 2 + 16, '\0');
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t rc = iconv(to, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(to);
    if (rc == size_t(-1) || rc > 0 || inLeft != 0) // rc > 0: characters converted inexactly
        return false;
    out.truncate(out.size() - int(outLeft));

    iconv_t back = iconv_open("UTF-16LE", codePage.constData());
    if (back == iconv_t(-1))
        return false;
    QByteArray again(out.size() * 4 + 16, '\0');
    inPtr = out.data();
    inLeft = size_t(out.size());
    outPtr = again.data();
    outLeft = size_t(again.size());
    const size_t rc2 = iconv(back, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(back);
    if (rc2 == size_t(-1) || inLeft != 0)
        return false;
    again.truncate(again.size() - int(outLeft));
    return again == in;
}
} // namespace

bool codePageHolds(const QString& text, int codePage)
{
    if (codePage == 0 || codePage == 65001)
        return true;
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) // every Windows code page SQL Server uses keeps ASCII
        return true;
    return roundTrips(text, "CP" + QByteArray::number(codePage));
}
