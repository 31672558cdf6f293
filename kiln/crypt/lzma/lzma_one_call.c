#include "kiln/crypt/lzma/lzma_one_call.h"

#include <stdlib.h>

#include "LzmaDec.h"
#include "LzmaEnc.h"

static void* AllocateBytes(void* unused, size_t size)
{
    (void)unused;
    return size == 0 ? NULL : malloc(size);
}

static void FreeBytes(void* unused, void* address)
{
    (void)unused;
    free(address);
}

static ISzAlloc g_allocator = {AllocateBytes, FreeBytes};

int KilnLzmaCompress(unsigned char* dest, size_t* destLen, const unsigned char* src, size_t srcLen,
                     unsigned char props[KILN_LZMA_PROPS_SIZE])
{
    CLzmaEncProps settings;
    SizeT propsSize = LZMA_PROPS_SIZE;
    SizeT outLen = *destLen;
    SRes result;

    LzmaEncProps_Init(&settings);
    settings.level = 5;
    settings.dictSize = 1u << 24;
    settings.lc = 3;
    settings.lp = 0;
    settings.pb = 2;
    settings.fb = 32;
    settings.numThreads = 1;
    result = LzmaEncode(dest, &outLen, src, srcLen, &settings, props, &propsSize, 0, NULL,
                        &g_allocator, &g_allocator);
    *destLen = outLen;
    if (result == SZ_OK && propsSize != LZMA_PROPS_SIZE)
        result = SZ_ERROR_FAIL;
    return result;
}

int KilnLzmaUncompress(unsigned char* dest, size_t* destLen, const unsigned char* src, size_t* srcLen,
                       const unsigned char props[KILN_LZMA_PROPS_SIZE])
{
    ELzmaStatus status;
    SizeT outLen = *destLen;
    SizeT inLen = *srcLen;
    const SRes result = LzmaDecode(dest, &outLen, src, &inLen, props, LZMA_PROPS_SIZE,
                                   LZMA_FINISH_END, &status, &g_allocator);
    *destLen = outLen;
    *srcLen = inLen;
    return result;
}
