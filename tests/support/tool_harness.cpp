#include "tests/support/tool_harness.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace KilnCli::TestSupport {

ToolRun RunKiln(const Arguments& arguments, const std::string& input)
{
    std::istringstream in(input);
    std::ostringstream out, err;
    Streams streams{in, out, err};
    const int code = RunTool(arguments, streams);
    return {code, out.str(), err.str()};
}

ScratchFolder::ScratchFolder(const std::string& name)
    : folder_(std::filesystem::temp_directory_path() / ("kiln_cli_test_" + name))
{
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string ScratchFolder::Path(const std::string& name) const
{
    return (folder_ / name).string();
}

void ScratchFolder::Write(const std::string& name, const std::string& bytes) const
{
    std::ofstream file(folder_ / name, std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file)
        throw std::runtime_error("cannot write " + Path(name));
}

std::string ScratchFolder::Read(const std::string& name) const
{
    std::ifstream file(folder_ / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool ScratchFolder::Exists(const std::string& name) const
{
    return std::filesystem::exists(folder_ / name);
}

ToolTest::ToolTest() : scratch_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

std::string ToolTest::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    scratch_.Write(name, std::string(bytes.begin(), bytes.end()));
    return scratch_.Path(name);
}

int ToolTest::Run(const Arguments& arguments, const std::string& input)
{
    const ToolRun run = RunKiln(arguments, input);
    out_ = run.out;
    err_ = run.err;
    return run.code;
}

}  // namespace KilnCli::TestSupport
