#include <cstdint>
#include <string>

#include "kiln/base/class_ids.h"
#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/crypt/compress.h"
#include "kiln/crypt/compress_lzma.h"
#include "kiln/crypt/compress_zlib.h"

namespace KilnCli {
namespace {

// The tool works in memory; files beyond this are refused rather than half-processed.
constexpr uint64_t kMaxBytes = uint64_t{1} << 30;

struct CompressJob {
    bool lzma = false;
    std::string input;
    std::string output;
};

// Parses "--zlib|--lzma IN OUT"; returns kOk or the usage error's exit code.
int ParseJob(const char* commandName, const Arguments& arguments, Streams& streams, CompressJob& job)
{
    if (arguments.size() != 3)
        return UsageError(streams, commandName, "expected --zlib or --lzma, IN and OUT");
    if (arguments[0] != "--zlib" && arguments[0] != "--lzma")
        return UsageError(streams, commandName, "unknown format '" + arguments[0] + "'");
    job.lzma = arguments[0] == "--lzma";
    job.input = arguments[1];
    job.output = arguments[2];
    return kOk;
}

Kiln::KilnHandle<Kiln::ICompress> MakeCompressor(bool lzma)
{
    return Kiln::KilnHandle<Kiln::ICompress>::Adopt(
        Kiln::CreateCompressor(lzma ? Kiln::ClassId::CompressLzma : Kiln::ClassId::CompressZlib));
}

// Room for incompressible data in either format (zlib needs less than LZMA's bound).
uint32_t CompressCapacity(size_t inputSize)
{
    return static_cast<uint32_t>(inputSize + inputSize / 3 + 128 + Kiln::CCompress_lzma::kHeaderSize);
}

bool UncompressInto(Kiln::ICompress& compressor, const std::string& packed, uint32_t capacity, std::string& out)
{
    out.assign(capacity, '\0');
    uint32_t length = capacity;
    if (!compressor.Uncompress(out.data(), length, packed.data(), static_cast<uint32_t>(packed.size())))
        return false;
    out.resize(length);
    return true;
}

}  // namespace

int RunCompress(const Arguments& arguments, Streams& streams)
{
    CompressJob job;
    if (const int usage = ParseJob("compress", arguments, streams, job); usage != kOk)
        return usage;
    ReadError error = ReadError::kNone;
    const std::optional<std::string> input = ReadFileBytes(job.input, kMaxBytes, &error);
    if (!input)
        return Failure(streams, "compress", "'" + job.input + "': " + Describe(error) + " (at most 1 GiB)");

    auto compressor = MakeCompressor(job.lzma);
    std::string packed(CompressCapacity(input->size()), '\0');
    uint32_t length = static_cast<uint32_t>(packed.size());
    if (!compressor->Compress(packed.data(), length, input->data(), static_cast<uint32_t>(input->size())))
        return Failure(streams, "compress", "compression failed");
    packed.resize(length);
    if (!WriteFileBytes(job.output, packed))
        return Failure(streams, "compress", "cannot write '" + job.output + "'");
    return kOk;
}

int RunUncompress(const Arguments& arguments, Streams& streams)
{
    CompressJob job;
    if (const int usage = ParseJob("uncompress", arguments, streams, job); usage != kOk)
        return usage;
    ReadError error = ReadError::kNone;
    const std::optional<std::string> packed = ReadFileBytes(job.input, kMaxBytes, &error);
    if (!packed)
        return Failure(streams, "uncompress", "'" + job.input + "': " + Describe(error) + " (at most 1 GiB)");

    auto compressor = MakeCompressor(job.lzma);
    std::string out;
    bool ok = false;
    if (job.lzma) {
        const std::optional<uint32_t> stored =
            Kiln::CCompress_lzma::StoredLength(packed->data(), static_cast<uint32_t>(packed->size()));
        if (!stored)
            return Failure(streams, "uncompress", "'" + job.input + "' is too short for an LZMA container");
        if (*stored > kMaxBytes)
            return Failure(streams, "uncompress", "'" + job.input + "' announces more than 1 GiB");
        if (!Kiln::CCompress_lzma::LengthFitsStream(*stored, static_cast<uint32_t>(packed->size())))
            return Failure(streams, "uncompress", "'" + job.input + "' announces more than its data can hold");
        ok = UncompressInto(*compressor.Get(), *packed, *stored, out);
    } else {
        // A zlib stream does not say how long it unpacks: measure it first.
        const std::optional<uint64_t> length =
            Kiln::CCompress_zlib::UncompressedLength(packed->data(), static_cast<uint32_t>(packed->size()), kMaxBytes);
        if (length)
            ok = UncompressInto(*compressor.Get(), *packed, static_cast<uint32_t>(*length), out);
    }
    if (!ok)
        return Failure(streams, "uncompress", "'" + job.input + "' is not valid compressed data");
    if (!WriteFileBytes(job.output, out))
        return Failure(streams, "uncompress", "cannot write '" + job.output + "'");
    return kOk;
}

}  // namespace KilnCli
