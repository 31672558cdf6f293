#include <cstdio>
#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/crypt/crc32.h"
#include "launcher/net/md5.h"
#include "launcher/net/sha1.h"

namespace KilnCli {
namespace {

// Prints "<hex>  <file>" for each file, like md5sum; a file that cannot be read is reported
// and makes the command fail, the others are still printed.
template <class Digest>
int PrintDigests(const char* commandName, const Arguments& files, Streams& streams)
{
    if (files.empty())
        return UsageError(streams, commandName, "expected at least one FILE");
    int result = kOk;
    for (const std::string& file : files) {
        Digest digest;
        if (!ReadFilePieces(file, [&digest](const char* data, size_t size) { digest.update(data, size); })) {
            result = Failure(streams, commandName, "cannot read '" + file + "'");
            continue;
        }
        streams.out << digest.hex() << "  " << file << "\n";
    }
    return result;
}

class Crc32Digest {
public:
    void update(const char* data, size_t size) { crc_ = Kiln::CCRC32::Extend(crc_, data, size); }
    std::string hex() const
    {
        char text[9];
        std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc_));
        return text;
    }

private:
    uint32_t crc_ = 0;
};

}  // namespace

int RunCrc32(const Arguments& arguments, Streams& streams)
{
    return PrintDigests<Crc32Digest>("crc32", arguments, streams);
}

int RunMd5(const Arguments& arguments, Streams& streams)
{
    return PrintDigests<clx::md5>("md5", arguments, streams);
}

int RunSha1(const Arguments& arguments, Streams& streams)
{
    return PrintDigests<clx::sha1>("sha1", arguments, streams);
}

}  // namespace KilnCli
