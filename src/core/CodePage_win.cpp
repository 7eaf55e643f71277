#include "core/CodePage.h"

#include <string>
#include <windows.h>

bool codePageHolds(const QString& text, int codePage)
{
    if (codePage == 0 || codePage == 65001 || text.isEmpty())
        return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = int(text.size());
    BOOL usedDefault = FALSE;
    // No best fit: a look-alike stored in place of the character is a different number.
    const int bytes =
        WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault)
        return false;
    std::string narrow(size_t(bytes), '\0');
    WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide, length, narrow.data(), bytes, nullptr,
                        &usedDefault);
    if (usedDefault)
        return false;
    const int chars = MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, narrow.data(), bytes, nullptr, 0);
    if (chars != length)
        return false;
    std::wstring back(size_t(chars), L'\0');
    MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, narrow.data(), bytes, back.data(), chars);
    return back.compare(0, std::wstring::npos, wide, size_t(length)) == 0;
}
