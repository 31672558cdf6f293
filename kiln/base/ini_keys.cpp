#include "kiln/base/ini_keys.h"

namespace Kiln {
namespace {

KeyTableEntry Entry(IniFile file, const ProfileKey& key, ValueKind kind)
{
    return {file, key.section, key.name, KeyForm::Single, kind, key.defaultValue};
}

KeyTableEntry Entry(IniFile file, const NumberedProfileKey& key, ValueKind kind)
{
    return {file, key.section, key.nameTemplate, KeyForm::Numbered, kind, "end"};
}

KeyTableEntry Buttons(IniFile file, const char* section, ValueKind kind, const char* defaultValue)
{
    return {file, section, nullptr, KeyForm::Buttons, kind, defaultValue};
}

std::vector<KeyTableEntry> BuildKeyTable()
{
    using namespace Keys;
    constexpr IniFile S = IniFile::System;
    constexpr IniFile G = IniFile::Game;
    constexpr char kBuiltIn[] = "built-in";
    return {
        Entry(S, kTitle, ValueKind::Text),
        // The launcher reads Version with another default than the runtime; one row serves both.
        Entry(S, kRuntimeVersion, ValueKind::Text),
        Entry(S, kWideScreen, ValueKind::WideScreen),
        Entry(S, kArchive, ValueKind::FileName),
        Entry(S, kDirectRun, ValueKind::Switch),
        Entry(S, kEnableInformation, ValueKind::Switch),
        Entry(S, kEnableTwitter, ValueKind::Switch),
        Entry(S, kEnableTinyMode, ValueKind::Switch),
        Entry(S, kEnableAutoPatch, ValueKind::Switch),
        Entry(S, kPlayerNum, ValueKind::PlayerCount),
        Entry(S, kTopImage, ValueKind::PicturePath),
        Entry(S, kBannerImage, ValueKind::PicturePath),
        Entry(S, kBannerURL, ValueKind::Address),
        Entry(S, kOfflinePage, ValueKind::Text),
        Entry(S, kInformationURL, ValueKind::Address),
        Entry(S, kUpdateInfoFile, ValueKind::FileName),
        Entry(S, kPatchFilePrefix, ValueKind::Text),
        Entry(S, kBaseURL, ValueKind::Address),
        Entry(S, kUpdatePublicKey, ValueKind::PublicKey),
        Buttons(S, "KeyConfig1", ValueKind::KeyAssignment, kBuiltIn),
        Buttons(S, kKeyConfigLabelSection, ValueKind::Text, ""),
        Buttons(S, kKeyConfigEnableSection, ValueKind::Switch, ""),
        Entry(S, kAPIAccessKey, ValueKind::Credentials),
        Entry(S, kAPIHost, ValueKind::Text),

        Entry(G, kFullScreen, ValueKind::Switch),
        Entry(G, kShowMenu, ValueKind::Switch),
        Entry(G, kShowFPS, ValueKind::Switch),
        Entry(G, kMaxVRAMCacheSize, ValueKind::VRAMCacheSize),
        Entry(G, kMaxFileCacheSize, ValueKind::FileCacheSize),
        Entry(G, kScreenSize, ValueKind::ScreenSize),
        Buttons(G, "KeyConfig1", ValueKind::KeyAssignment, kBuiltIn),
        Buttons(G, "KeyConfig2", ValueKind::KeyAssignment, kBuiltIn),
        Buttons(G, "KeyConfig3", ValueKind::KeyAssignment, kBuiltIn),
        Buttons(G, "KeyConfig4", ValueKind::KeyAssignment, kBuiltIn),
        Entry(G, kUserAccessKey, ValueKind::Credentials),
    };
}

}  // namespace

const std::vector<KeyTableEntry>& KeyTable()
{
    static const std::vector<KeyTableEntry> table = BuildKeyTable();
    return table;
}

}  // namespace Kiln
