#include "kiln/support/font.h"

#include "kiln/base/catch_all.h"
#include "kiln/base/wide_text.h"
#include "kiln/support/face_name.h"

namespace Kiln {
namespace {

// One enumeration: the description asked for and the face accepted, if any. GDI reads narrow
// face names in the system's code page, so the search runs on the wide functions.
struct FaceSearch {
    const CFont* font;
    LOGFONTW result;
    bool found;
};

int CALLBACK AcceptShiftJisTrueType(const LOGFONTW* face, const TEXTMETRICW*, DWORD fontType, LPARAM context)
{
    return CatchAll(0, [&] {
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
    });
}

void Enumerate(HDC dc, const std::string& faceName, FaceSearch& search)
{
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    query.lfPitchAndFamily = 0;
    const std::wstring face = WideFromShiftJis(FaceNameBytes(faceName));
    static_assert(kMaxFaceNameBytes == LF_FACESIZE - 1, "a face name and its terminator fill LOGFONT's");
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    ::EnumFontFamiliesExW(dc, &query, AcceptShiftJisTrueType, reinterpret_cast<LPARAM>(&search), 0);
}

}  // namespace

CFontHandle::CFontHandle(const CFont& font) : description_(font), dc_(::CreateCompatibleDC(nullptr))
{
    FaceSearch search = {&description_, {}, false};
    Enumerate(dc_.Get(), description_.faceName, search);
    if (!search.found)
        Enumerate(dc_.Get(), "", search);  // every family: the first Shift-JIS TrueType face
    // With no such face at all, the empty description gives the system's default font.
    font_.Reset(::CreateFontIndirectW(&search.result));
    if (dc_ && font_)
        previous_ = ::SelectObject(dc_.Get(), font_.Get());
}

CFontHandle::~CFontHandle()
{
    if (previous_)
        ::SelectObject(dc_.Get(), previous_);
}

}  // namespace Kiln
