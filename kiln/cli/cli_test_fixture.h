#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "kiln/cli/command.h"
#include "kiln/cli/cli_support.h"

namespace KilnCli {

// Runs the tool in-process with string streams, over files in the test's temporary folder.
class CliTest : public ::testing::Test {
protected:
    std::string TempPath(const std::string& name) const { return ::testing::TempDir() + "kiln_cli_" + name; }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const std::string path = TempPath(name);
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }

    int Run(const Arguments& arguments)
    {
        out_.str("");
        err_.str("");
        return RunTool(arguments, streams_);
    }

    std::istringstream in_;
    std::ostringstream out_;
    std::ostringstream err_;
    Streams streams_{in_, out_, err_};
};

}  // namespace KilnCli
