#pragma once

// Game folders on disk for the patch tests: scratch folders, files by UTF-8 name, and a
// snapshot of everything a folder holds to compare byte for byte.
#include <filesystem>
#include <map>
#include <string>

namespace TestSupport {

class TempFolder {
public:
    explicit TempFolder(const std::string& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return root_; }
    // Writes a file (making its folders); `name` is UTF-8 with '/' between parts.
    void Write(const std::string& name, const std::string& bytes) const;
    void MakeFolder(const std::string& name) const;

private:
    std::filesystem::path root_;
};

// Every file (name -> bytes) and folder (name -> "<folder>") below `root`, names UTF-8 with '/'.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root);

// A whole file's bytes.
std::string ReadFile(const std::filesystem::path& path);

// Makes `to` hold exactly what `from` holds.
void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to);

// Bytes that zstd cannot shrink, the same for the same seed.
std::string NoiseBytes(size_t size, uint32_t seed);

}  // namespace TestSupport
