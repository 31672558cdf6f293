#ifndef KILN_CRYPT_LZMA_ONE_CALL_H
#define KILN_CRYPT_LZMA_ONE_CALL_H

/* One-call LZMA encoding and decoding over memory buffers, on top of the LZMA SDK. This header
   names none of the SDK's types, so the SDK's include folder stays private to its library. */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { KILN_LZMA_PROPS_SIZE = 5 };

/* Encodes at the SDK's default settings (level 5, 16 MiB dictionary, lc 3, lp 0, pb 2,
   32 fast bytes, no end marker). `destLen` holds the capacity on entry and the stream length
   on success; the 5 property bytes go to `props`. Returns 0 on success. */
int KilnLzmaCompress(unsigned char* dest, size_t* destLen, const unsigned char* src, size_t srcLen,
                     unsigned char props[KILN_LZMA_PROPS_SIZE]);

/* Decodes exactly `*destLen` bytes; the stream must end right there, with or without an end
   marker, so a length that disagrees with the stream fails. On return `destLen` holds the bytes
   produced and `srcLen` the bytes consumed. Returns 0 on success; running out of input before
   the output is complete is a failure. */
int KilnLzmaUncompress(unsigned char* dest, size_t* destLen, const unsigned char* src, size_t* srcLen,
                       const unsigned char props[KILN_LZMA_PROPS_SIZE]);

#ifdef __cplusplus
}
#endif

#endif
