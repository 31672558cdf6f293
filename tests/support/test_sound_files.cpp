#include "tests/support/test_sound_files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include <vorbis/vorbisenc.h>

#include "kiln/base/little_endian.h"

namespace KilnTest {

Bytes MakeWav(const WavShape& shape)
{
    const uint32_t dataSize = shape.declaredDataSize ? shape.declaredDataSize : static_cast<uint32_t>(shape.data.size());
    Bytes file(44 + shape.data.size(), 0);
    uint8_t* h = file.data();
    std::copy_n("RIFF", 4, h);
    Kiln::PutLE32(h + 4, 36 + dataSize);
    std::copy_n("WAVEfmt ", 8, h + 8);
    Kiln::PutLE32(h + 16, 16);
    const auto blockAlign = static_cast<uint16_t>(uint32_t{shape.channels} * shape.bitsPerSample / 8);
    Kiln::PutLE16(h + 20, shape.formatTag);
    Kiln::PutLE16(h + 22, shape.channels);
    Kiln::PutLE32(h + 24, shape.samplesPerSec);
    Kiln::PutLE32(h + 28, shape.samplesPerSec * blockAlign);
    Kiln::PutLE16(h + 32, blockAlign);
    Kiln::PutLE16(h + 34, shape.bitsPerSample);
    std::copy_n("data", 4, h + 36);
    Kiln::PutLE32(h + 40, dataSize);
    std::copy(shape.data.begin(), shape.data.end(), file.begin() + 44);
    return file;
}

namespace {

void Append(Bytes& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

Bytes MakeOgg(int channels, int samplesPerSec, int frames)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, samplesPerSec, 0.1f) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("vorbis encoder refused the format");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    Bytes out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        Append(out, page);

    constexpr int kChunk = 1024;
    bool endOfStream = false;
    for (int done = 0; !endOfStream;) {
        const int count = std::min(kChunk, frames - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (int i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = 0.25f * std::sin(static_cast<float>(done + i) * 0.05f * (c + 1));
            vorbis_analysis_wrote(&dsp, count);
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);  // end of the input
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    Append(out, page);
                    endOfStream = ogg_page_eos(&page) != 0;
                }
            }
        }
        if (count <= 0 && !endOfStream) {
            while (ogg_stream_flush(&stream, &page) != 0) {
                Append(out, page);
                endOfStream = ogg_page_eos(&page) != 0;
            }
            endOfStream = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

}  // namespace KilnTest
