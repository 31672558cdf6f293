// Keys come from System.ini and signatures from servers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kiln/crypt/signature.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto key = Kiln::Signature::ReadPublicKey(text);
    const auto signature = Kiln::Signature::ReadSignature(text);
    if (key && signature)
        __builtin_trap();  // the sizes differ, so no text is both
    // what is read writes back as the same text, without its one line end
    if (key && text.substr(0, Kiln::Signature::WriteText(*key).size()) != Kiln::Signature::WriteText(*key))
        __builtin_trap();
    if (signature) {
        if (text.substr(0, 88) != Kiln::Signature::WriteText(*signature))
            __builtin_trap();
        // a signature read from anywhere is checked without harm against a fixed key
        const Kiln::Signature::PublicKey zero{};
        (void)Kiln::Signature::Verify(zero, *signature, text);
    }
    return 0;
}
