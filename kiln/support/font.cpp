#include "kiln/support/font.h"

#include <cstring>

#include "kiln/base/text.h"

namespace Kiln {
namespace {

// One enumeration: the description asked for and the face accepted, if any.
struct FaceSearch {
    const CFont* font;
    LOGFONTA result;
    bool found;
};

int CALLBACK AcceptShiftJisTrueType(const LOGFONTA* face, const TEXTMETRICA*, DWORD fontType, LPARAM context)
{
    auto* search = reinterpret_cast<FaceSearch*>(context);
    if (!(fontType & TRUETYPE_FONTTYPE) || face->lfCharSet != SHIFTJIS_CHARSET)
        return 1;
    const CFont& font = *search->font;
    search->result = *face;
    search->result.lfHeight = font.height;
    search->result.lfWidth = font.width;
    search->result.lfWeight = font.weight;
    search->result.lfItalic = font.italic;
    search->result.lfUnderline = font.underline;
    search->result.lfStrikeOut = font.strikeOut;
    search->result.lfQuality = static_cast<BYTE>(font.quality);
    search->found = true;
    return 0;
}

// Copies at most 31 bytes of the face name without splitting a double-byte character.
void CopyFaceName(char (&destination)[LF_FACESIZE], const std::string& name)
{
    size_t length = 0;
    while (length < name.size()) {
        const size_t next = length + (IsShiftJisLeadByte(static_cast<unsigned char>(name[length])) ? 2 : 1);
        if (next > LF_FACESIZE - 1 || next > name.size())
            break;
        length = next;
    }
    std::memcpy(destination, name.data(), length);
    destination[length] = '\0';
}

void Enumerate(HDC dc, const std::string& faceName, FaceSearch& search)
{
    LOGFONTA query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    query.lfPitchAndFamily = 0;
    CopyFaceName(query.lfFaceName, faceName);
    ::EnumFontFamiliesExA(dc, &query, AcceptShiftJisTrueType, reinterpret_cast<LPARAM>(&search), 0);
}

}  // namespace

CFontHandle::CFontHandle(const CFont& font) : description_(font), dc_(::CreateCompatibleDC(nullptr))
{
    FaceSearch search = {&description_, {}, false};
    Enumerate(dc_.Get(), description_.faceName, search);
    if (!search.found)
        Enumerate(dc_.Get(), "", search);  // every family: the first Shift-JIS TrueType face
    // With no such face at all, the empty description gives the system's default font.
    font_.Reset(::CreateFontIndirectA(&search.result));
    if (dc_ && font_)
        previous_ = ::SelectObject(dc_.Get(), font_.Get());
}

CFontHandle::~CFontHandle()
{
    if (previous_)
        ::SelectObject(dc_.Get(), previous_);
}

}  // namespace Kiln
