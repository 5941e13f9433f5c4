// Bit-exact re-creation of the deflate streams written by GNU gzip and
// Info-ZIP zip (both use the same engine; levels 1..9).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace uha {

// How the matcher treats window bytes past the end of input; this only
// decides ties between equally long matches in the last 258 bytes.
enum class GnuTail : uint8_t {
  Zeroed,  // GNU gzip: two bytes cleared, older window content beyond
  Capped,  // Info-ZIP zip: comparison stops at the end of input
  Stale,   // no clearing (old gzip builds)
};

struct GnuParams {
  int level = 6;  // 1..9
  GnuTail tail = GnuTail::Zeroed;
  bool endGuard = true;  // no match search in the last 262 bytes of the 64 KiB buffer
};

// Writer receives compressed bytes; returning false aborts the encode.
using WriteFn = std::function<bool(const uint8_t* buf, size_t n)>;

class GnuEngine;

// The engine fed in pieces of any size: the output never depends on how the input is cut, and
// nothing but the engine's own state (about 316 KiB, on the heap) is held.
class GnuDeflater {
 public:
  GnuDeflater();
  ~GnuDeflater();
  GnuDeflater(const GnuDeflater&) = delete;
  GnuDeflater& operator=(const GnuDeflater&) = delete;

  // False when the level is out of range.
  bool Start(const GnuParams& p, const WriteFn& out);
  void Feed(const uint8_t* data, size_t n);
  // Ends the input; false when the writer aborted or nothing was started.
  bool Finish();

 private:
  std::unique_ptr<GnuEngine> engine_;
};

// True if encoding `data` with `p` reproduces `deflated` exactly; stops at
// the first differing byte.
bool GnuMatches(const uint8_t* data, size_t n, const uint8_t* deflated, size_t dn,
                const GnuParams& p);

// Searches for parameters that reproduce `deflated` from `data`.
bool GnuFindParams(const uint8_t* data, size_t n, const uint8_t* deflated, size_t dn,
                   GnuParams* found);

}  // namespace uha
