#pragma once

#include <string>
#include <string_view>

// File names as a patch carries them: UTF-8, relative to the game folder, '/' between parts.
namespace Kiln::Patch {

// The key under which Windows treats two names as the same file: the name in UTF-16 with each
// code unit upper-cased (ASCII, Latin-1, Greek, Cyrillic and the full-width Latin letters; the
// file system's own table goes further, but game files never differ only there). Empty when
// the name is not valid UTF-8.
std::u16string FoldedName(std::string_view utf8);

// UTF-8 to UTF-16 and back; nothing on invalid input (an empty result means invalid or empty).
bool Utf8ToUtf16(std::string_view utf8, std::u16string& out);
std::string Utf16ToUtf8(std::u16string_view utf16);

// A safe relative name: non-empty parts, no ".", "..", drive, backslash, colon or control
// characters, no part that Windows takes for a device (CON, NUL, COM1, LPT1, ..., also with an
// extension) and none of the patch program's own names in a game folder (see IsWorkingName).
// Names read from a payload are checked before any file is touched.
bool IsSafeRelativeName(std::string_view name);

// Whether one part of a name is one the patch program itself writes in the game folder: its
// journal, its probe, a staged or kept-old file (any case, as Windows compares).
bool IsWorkingName(std::string_view part);

}  // namespace Kiln::Patch
