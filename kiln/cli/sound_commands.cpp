#include "kiln/cli/sound_commands.h"

#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/file/byte_stream.h"
#include "kiln/file/file_name.h"
#include "kiln/sound/ogg_read.h"
#include "kiln/sound/wav_read.h"

namespace KilnCli {
namespace {

using Kiln::KilnHandle;

int Info(const std::string& path, Streams& streams)
{
    ReadError error = ReadError::kNone;
    std::optional<std::vector<uint8_t>> bytes = ReadStreamBytes(path, &error);
    if (!bytes) {
        streams.err << "kiln sound: " << path << ": " << Describe(error) << "\n";
        return kFailed;
    }
    const bool ogg = Kiln::FileName::LowerExtension(path) == "ogg";
    auto reader = KilnHandle<Kiln::ISoundReader>::Adopt(ogg ? static_cast<Kiln::ISoundReader*>(new Kiln::COGGRead)
                                                            : new Kiln::CWavRead);
    auto stream = KilnHandle<Kiln::IDataStream>::Adopt(new Kiln::CByteStream(std::move(*bytes)));
    if (!reader->Open(stream.Get())) {
        streams.err << "kiln sound: " << path << " is not a readable " << (ogg ? "Ogg Vorbis" : "PCM WAV") << " file\n";
        return kFailed;
    }
    Kiln::WaveFormat format;
    reader->GetFormat(format);
    streams.out << "reader: " << (ogg ? "ogg" : "wav") << "\n"
                << "format: PCM, " << format.channels << " channels, " << format.samplesPerSec << " Hz, "
                << format.bitsPerSample << " bits\n"
                << "length: " << reader->GetLength() << " ms\n";
    reader->Close();
    return kOk;
}

}  // namespace

int RunSound(const Arguments& arguments, Streams& streams)
{
    if (arguments.size() == 2 && arguments[0] == "info")
        return Info(arguments[1], streams);
    streams.err << "usage: kiln sound info FILE\n";
    return kBadUsage;
}

}  // namespace KilnCli
