#pragma once

// Test helpers: run the tool over string streams, and a scratch folder per test.
#include <filesystem>
#include <string>

#include "kiln/cli/command.h"

namespace KilnCli::TestSupport {

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun RunKiln(const Arguments& arguments, const std::string& input = "");

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::filesystem::path folder_;
};

}  // namespace KilnCli::TestSupport
