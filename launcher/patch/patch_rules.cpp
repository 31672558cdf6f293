#include "launcher/patch/patch_rules.h"

#include "kiln/base/text.h"

namespace Launcher::Patch {

std::string WorkingFolder(const std::string& documents)
{
    return Kiln::FormatTemplate("%1%\\%2%\\", documents, kWorkingFolderName);
}

std::string WorkingFilePath(const std::string& documents, const std::string& name)
{
    return Kiln::FormatTemplate("%1%\\%2%\\%3%", documents, kWorkingFolderName, name);
}

std::string FolderOf(const std::string& path)
{
    const size_t separator = path.rfind('\\');
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string ServerFileURL(const std::string& baseURL, const std::string& fileName)
{
    return Kiln::FormatTemplate("%1%%2%", baseURL, fileName);
}

std::string PatchFileName(const std::string& patchFilePrefix, const std::string& version)
{
    return Kiln::FormatTemplate(patchFilePrefix, version);
}

bool IsPlainVersion(std::string_view version)
{
    constexpr size_t kMaxVersionLength = 64;
    if (version.empty() || version.size() > kMaxVersionLength || version.find("..") != std::string_view::npos)
        return false;
    for (const char c : version) {
        const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             std::string_view("._-+()").find(c) != std::string_view::npos;
        if (!allowed)
            return false;
    }
    return true;
}

bool IsPlainFileName(std::string_view name)
{
    if (name.empty() || name.back() == '.' || name.back() == ' ' || name.find("..") != std::string_view::npos)
        return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    }
    // A device name takes the whole name before the first dot, in any case.
    const std::string stem = Kiln::AsciiLower(std::string(name.substr(0, name.find('.'))));
    static constexpr const char* kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : kDevices) {
        if (stem == device)
            return false;
    }
    const bool numbered = stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
                          stem[3] >= '0' && stem[3] <= '9';
    return !numbered;
}

std::string UpdateIniText(const std::string& targetDirectory, const std::string& patchFilePath,
                          const std::string& updateIniPath, const std::string& workingFolder)
{
    return Kiln::FormatTemplate(
        "[Update]\r\nTargetDirectory=%1%\r\n[WrittenFile]\r\nFile1=%2%\r\nFile2=%3%\r\n[CreateDirectory]\r\n"
        "Directory1=%4%\r\n",
        targetDirectory, patchFilePath, updateIniPath, workingFolder);
}

bool IsSuccessStatus(uint32_t statusCode)
{
    return statusCode / 100 == 2;
}

InformationStep DecideInformationStep(bool finished, uint32_t statusCode, size_t serverIndex, size_t serverCount)
{
    if (finished && IsSuccessStatus(statusCode))
        return InformationStep::Evaluate;
    return serverIndex + 1 >= serverCount ? InformationStep::AllServersFailed : InformationStep::NextServer;
}

UpdateKey ReadUpdateKey(const std::string& configured)
{
    UpdateKey result;
    if (configured.empty())
        return result;
    const auto key = Kiln::Signature::ReadPublicKey(configured);
    result.kind = key ? UpdateKey::Kind::Valid : UpdateKey::Kind::Malformed;
    if (key)
        result.key = *key;
    return result;
}

std::string SignatureFileName(const std::string& updateInfoFile)
{
    return updateInfoFile + Kiln::Signature::kFileSuffix;
}

bool InformationVerifies(const Kiln::Signature::PublicKey& key, bool signatureFinished, uint32_t signatureStatus,
                         std::string_view signatureBody, std::string_view information)
{
    if (!signatureFinished || !IsSuccessStatus(signatureStatus))
        return false;
    const auto signature = Kiln::Signature::ReadSignature(signatureBody);
    return signature && Kiln::Signature::Verify(key, *signature, information);
}

std::optional<int> ProgressPosition(uint64_t receivedSize, uint64_t contentSize)
{
    if (contentSize == UINT64_MAX)
        return std::nullopt;
    if (contentSize == 0)
        return 0;
    if (receivedSize >= contentSize)
        return 100;
    return static_cast<int>(static_cast<double>(receivedSize) / static_cast<double>(contentSize) * 100.0);
}

bool DigestMatches(const std::string& computedLowerHex, const std::string& entryDigest)
{
    return computedLowerHex == Kiln::AsciiLower(entryDigest);
}

std::string UpdatedMessage(const std::string& version)
{
    const std::string pattern = Text::kUpdated;
    const size_t slot = pattern.find("%s");
    return pattern.substr(0, slot) + version + pattern.substr(slot + 2);
}

}  // namespace Launcher::Patch
