#include "tests/support/patch_folders.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace TestSupport {

TempFolder::TempFolder(const std::string& name)
    : root_(fs::temp_directory_path() / ("kiln_patch_" + name + "_" + std::to_string(std::random_device{}())))
{
    fs::remove_all(root_);
    fs::create_directories(root_);
}

TempFolder::~TempFolder()
{
    std::error_code code;
    fs::remove_all(root_, code);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    const fs::path path = root_ / fs::u8path(name);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + name);
}

void TempFolder::MakeFolder(const std::string& name) const
{
    fs::create_directories(root_ / fs::u8path(name));
}

std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> items;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const std::string name = item.path().lexically_relative(root).generic_u8string();
        if (item.is_directory()) {
            items[name] = "<folder>";
            continue;
        }
        std::ifstream in(item.path(), std::ios::binary);
        std::string bytes(std::istreambuf_iterator<char>(in), {});
        // Large files by size and hash, so that a failed comparison stays readable.
        if (bytes.size() > 64)
            bytes = "<" + std::to_string(bytes.size()) + " bytes, hash " + std::to_string(std::hash<std::string>{}(bytes)) + ">";
        items[name] = bytes;
    }
    return items;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void CopyFolder(const fs::path& from, const fs::path& to)
{
    fs::remove_all(to);
    fs::create_directories(to);
    for (const auto& item : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / item.path().lexically_relative(from);
        if (item.is_directory())
            fs::create_directories(target);
        else
            fs::copy_file(item.path(), target);
    }
}

std::string NoiseBytes(size_t size, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

}  // namespace TestSupport
