// Image files a player can replace, through the CPNGPlugin decoder.
#include "kiln/image/png_plugin.h"
#include "kiln/image/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoder = Kiln::KilnHandle<Kiln::CPNGPlugin>::Adopt(new Kiln::CPNGPlugin);
    KilnFuzz::RunDecoder(*decoder, data, size);
    return 0;
}
