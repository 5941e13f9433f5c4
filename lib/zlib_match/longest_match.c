/* zlib's match search, eight bytes at a time. It returns what zlib's own longest_match returns
 * for every input, so deflate's output stays byte for byte zlib's: the packer checks streams
 * against originals written by other zlib builds. zlib's deflate.c is built to call it in place
 * of its own (scripts/build-zlib.sh). */
#include <stdint.h>
#include <string.h>

#include "deflate.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the eight-byte comparison below assumes a little-endian target"
#endif

uInt kelvamo_longest_match(deflate_state *s, IPos cur_match);

static uint64_t Load64(const Bytef *p) {
  uint64_t v;
  memcpy(&v, p, sizeof v);
  return v;
}

/* Length of the common start of `scan` and `match`, at most MAX_MATCH, when their first three
 * bytes are taken as equal (the third is implied by the hash, and zlib never compares it).
 * Bytes 3 to 258 are 256 bytes: 32 loads of eight, reaching no further than zlib does. */
static int MatchLength(const Bytef *scan, const Bytef *match) {
  for (int at = 3; at < MAX_MATCH; at += 8) {
    const uint64_t diff = Load64(scan + at) ^ Load64(match + at);
    if (diff != 0) {
      const int len = at + __builtin_ctzll(diff) / 8;
      return len < MAX_MATCH ? len : MAX_MATCH;
    }
  }
  return MAX_MATCH;
}

uInt kelvamo_longest_match(deflate_state *s, IPos cur_match) {
  unsigned chain_length = s->max_chain_length;
  const Bytef *scan = s->window + s->strstart;
  int best_len = (int)s->prev_length;
  int nice_match = s->nice_match;
  const IPos limit = s->strstart > (IPos)MAX_DIST(s) ? s->strstart - (IPos)MAX_DIST(s) : 0;
  const Posf *prev = s->prev;
  const uInt wmask = s->w_mask;

  if (s->prev_length >= s->good_match) chain_length >>= 2;
  if ((uInt)nice_match > s->lookahead) nice_match = (int)s->lookahead;
  do {
    const Bytef *match = s->window + cur_match;
    if (match[best_len] != scan[best_len] || match[best_len - 1] != scan[best_len - 1] ||
        match[0] != scan[0] || match[1] != scan[1])
      continue;
    const int len = MatchLength(scan, match);
    if (len > best_len) {
      s->match_start = cur_match;
      best_len = len;
      if (len >= nice_match) break;
    }
  } while ((cur_match = prev[cur_match & wmask]) > limit && --chain_length != 0);
  return (uInt)best_len <= s->lookahead ? (uInt)best_len : s->lookahead;
}
