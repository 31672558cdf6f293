// Image files a player can replace, through the CBMPLoader decoder.
#include "kiln/image/bmp_loader.h"
#include "kiln/image/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoder = Kiln::KilnHandle<Kiln::CBMPLoader>::Adopt(new Kiln::CBMPLoader);
    KilnFuzz::RunDecoder(*decoder, data, size);
    return 0;
}
