#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "kiln/base/scoped_win.h"

// Whether the texts of another process's dialog fit their controls, measured in this process
// with the font the dialog manager makes from the dialog's template. Run it in a process
// started under the same font settings and DPI as the program it looks at.
namespace KilnTest {

// The font of a dialog template, made as the dialog manager makes it (the point size at the
// screen's DPI), with the dialog base units it gives.
class TemplateFont {
public:
    // Template `id` of the program file `module` (loaded as data); invalid when it has no
    // such template or no font in it.
    TemplateFont(const std::string& module, int id);

    bool Valid() const { return static_cast<bool>(font_); }
    HFONT Get() const { return static_cast<HFONT>(font_.Get()); }
    std::string Face() const;
    TEXTMETRICW Metrics() const;
    // Dialog units of the template to pixels, as MapDialogRect maps them.
    SIZE Pixels(int dialogUnitsX, int dialogUnitsY) const;
    // The template's own size, in pixels.
    SIZE DialogPixels() const { return Pixels(width_, height_); }

private:
    Kiln::UniqueGdiObject font_;
    int baseX_ = 0;
    int baseY_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// One control that shows text: what its text needs and the room the control gives it, both
// in pixels.
struct TextFit {
    int id = 0;
    std::string className;
    std::string text;  // UTF-8, for messages
    SIZE need = {};
    SIZE room = {};
    bool Fits() const { return need.cx <= room.cx && need.cy <= room.cy; }
};

// Every visible child of `dialog` (its own controls, not those of child dialogs) that shows
// a text: static texts (wrapped as they draw), push buttons and check boxes on one line (a
// check box's room is what its check mark leaves), one-line edit boxes (their formatting
// rectangle) and drop-down lists (the widest entry beside the arrow). Multi-line edit boxes
// with a scroll bar are left out: their whole text is reachable by scrolling.
std::vector<TextFit> MeasureTexts(HWND dialog, HFONT font);

std::string Describe(const TextFit& fit);

}  // namespace KilnTest
