// Image files a player can replace, through the CDDSPlugin decoder.
#include "kiln/image/dds_plugin.h"
#include "kiln/image/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoder = Kiln::KilnHandle<Kiln::CDDSPlugin>::Adopt(new Kiln::CDDSPlugin);
    KilnFuzz::RunDecoder(*decoder, data, size);
    return 0;
}
