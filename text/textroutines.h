#pragma once

/*
 * Text conversions that Orvelle exports by name for other modules: UTF-16 to
 * UTF-8, the quoted byte form used inside an encoded word of a mail header,
 * and UTF-8 to UTF-16.
 *
 * Plain C interface, callable from C and C++. The routines keep no state,
 * allocate nothing and never check buffer sizes: the caller provides output
 * buffers of at least the sizes given below. They are safe to call from any
 * thread.
 *
 * The output of toUtf8() ends with two zero bytes, which is exactly the
 * terminator toQP() looks for, so toUtf8()'s output can be handed to toQP()
 * unchanged.
 */

#if defined(__GNUC__)
#define ORVELLE_TEXT_EXPORT __attribute__((visibility("default")))
#else
#define ORVELLE_TEXT_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * UTF-16 to UTF-8.
 *
 * src: UTF-16 code units, each stored low byte first (independent of the
 *      machine's byte order and of alignment), ended by a unit whose two
 *      bytes are both zero.
 * dst: receives the UTF-8 bytes followed by two zero bytes.
 *
 * A surrogate that is not part of a high/low pair (a lone low surrogate, a
 * high surrogate not followed by a low one, or a high surrogate right before
 * the terminating unit) is written as U+FFFD (EF BF BD). Nothing after the
 * terminating unit is read.
 *
 * Output size the caller must allow, for n units before the terminator:
 * 3 * n + 2 bytes (a surrogate pair takes 4 bytes for its 2 units).
 */
ORVELLE_TEXT_EXPORT void toUtf8(const unsigned char *src, unsigned char *dst);

/*
 * Quoted form of a byte string: prefix, then "=XX" (upper-case hexadecimal)
 * for every source byte, letters and digits included, then "?=" and a zero
 * byte.
 *
 * prefix: zero-terminated text, copied without its terminator (for example
 *         "=?UTF-8?Q?").
 * src:    bytes ended by two consecutive zero bytes. A single zero byte
 *         followed by a non-zero byte is data and is written as "=00".
 *         Nothing after the two zero bytes is read.
 * dst:    receives the result, zero-terminated.
 *
 * Output size the caller must allow, for a prefix of p bytes (without its
 * terminator) and n source bytes before the two zero bytes:
 * p + 3 * n + 3 bytes.
 */
ORVELLE_TEXT_EXPORT void toQP(const char *prefix, const unsigned char *src, char *dst);

/*
 * UTF-8 to UTF-16.
 *
 * src: UTF-8 bytes ended by one zero byte.
 * dst: receives native-order 16-bit code units followed by two zero units.
 *
 * Bytes following a lead byte are taken as its continuation bytes without
 * being checked; a code point above U+FFFF becomes a surrogate pair. A byte
 * that cannot start a sequence (0x80 to 0xBF on its own, 0xF5 to 0xFF) is
 * written as U+FFFD, and so is a sequence cut short by the terminating zero
 * byte; nothing after that zero byte is read.
 *
 * Output size the caller must allow, for n bytes before the terminator:
 * n + 2 units.
 */
ORVELLE_TEXT_EXPORT void utf8_toUtf16(const unsigned char *src, unsigned short *dst);

#ifdef __cplusplus
} /* extern "C" */
#endif
