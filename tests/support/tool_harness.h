#pragma once

// The tool's test harness: runs the tool in-process over string streams, with a scratch
// folder per test.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

// A fixture over RunKiln and a scratch folder named after the test; Run keeps the last
// output in out_ and err_.
class ToolTest : public ::testing::Test {
protected:
    ToolTest();

    std::string TempPath(const std::string& name) const { return scratch_.Path(name); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    int Run(const Arguments& arguments, const std::string& input = "");

    ScratchFolder scratch_;
    std::string out_;
    std::string err_;
};

}  // namespace KilnCli::TestSupport
