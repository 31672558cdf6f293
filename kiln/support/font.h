#pragma once

#include <windows.h>

#include <string>

#include "kiln/base/scoped_win.h"

namespace Kiln {

// A font description; set the fields after construction.
class CFont {
public:
    int width = 0;
    int height = 16;
    std::string faceName = "ＭＳ ゴシック";
    int quality = 3;  // ANTIALIASED_QUALITY
    int weight = 300;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool reserved = false;  // carried with the description; nothing reads it
};

// The GDI font made from a CFont, selected into a memory device context of its own. The face
// must be a TrueType face with Shift-JIS characters: when the named face is not installed,
// the first such face of the system is taken instead.
class CFontHandle {
public:
    explicit CFontHandle(const CFont& font);
    ~CFontHandle();
    CFontHandle(const CFontHandle&) = delete;
    CFontHandle& operator=(const CFontHandle&) = delete;

    HFONT GetFont() const { return static_cast<HFONT>(font_.Get()); }
    HDC GetDC() const { return dc_.Get(); }
    const CFont& GetDescription() const { return description_; }

private:
    CFont description_;
    UniqueMemoryDC dc_;  // always its own
    UniqueGdiObject font_;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace Kiln
