#include "lib/archive/gnu_deflate.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace uha {
namespace {

// GnuEngine geometry; every constant here influences the produced bytes.
constexpr unsigned kWSize = 0x8000, kWMask = kWSize - 1;
constexpr unsigned kHashBits = 15, kHashSize = 1u << kHashBits, kHashMask = kHashSize - 1;
constexpr unsigned kHShift = (kHashBits + 2) / 3;
constexpr unsigned kMinMatch = 3, kMaxMatch = 258;
constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;
constexpr unsigned kMaxDist = kWSize - kMinLookahead;
constexpr unsigned kTooFar = 4096;
constexpr unsigned kLitBufSize = 0x8000;

constexpr int kLCodes = 286, kDCodes = 30, kBLCodes = 19, kEndBlock = 256;
constexpr int kHeapSize = 2 * kLCodes + 1, kMaxBits = 15;

struct Config {
  unsigned good, lazy, nice, chain;
};
constexpr Config kConfig[10] = {{0, 0, 0, 0},        {4, 4, 8, 4},      {4, 5, 16, 8},
                                {4, 6, 32, 32},      {4, 4, 16, 16},    {8, 16, 32, 32},
                                {8, 16, 128, 128},   {8, 32, 128, 256}, {32, 128, 258, 1024},
                                {32, 258, 258, 4096}};

constexpr uint8_t kExtraLBits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint8_t kExtraDBits[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                     6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kExtraBLBits[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
constexpr uint8_t kBLOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct Tables {
  uint8_t lengthCode[256];  // match length - 3 -> code index 0..28
  uint8_t distCode[512];    // see DCode()
  uint16_t baseLength[29];
  uint16_t baseDist[30];
  uint8_t staticLLen[288];
  uint16_t staticLCode[288];
  uint16_t staticDCode[30];
  uint8_t staticDLen[30];

  Tables() {
    int len = 0;
    for (int c = 0; c < 28; c++) {
      baseLength[c] = uint16_t(len);
      for (int i = 0; i < (1 << kExtraLBits[c]); i++) lengthCode[len++] = uint8_t(c);
    }
    lengthCode[255] = 28;  // length 258 has its own code
    baseLength[28] = 255;
    int dist = 0;
    for (int c = 0; c < 16; c++) {
      baseDist[c] = uint16_t(dist);
      for (int i = 0; i < (1 << kExtraDBits[c]); i++) distCode[dist++] = uint8_t(c);
    }
    dist >>= 7;
    for (int c = 16; c < 30; c++) {
      baseDist[c] = uint16_t(dist << 7);
      for (int i = 0; i < (1 << (kExtraDBits[c] - 7)); i++) distCode[256 + dist++] = uint8_t(c);
    }
    uint16_t count[kMaxBits + 2] = {};
    for (int n = 0; n < 288; n++) {
      staticLLen[n] = n < 144 ? 8 : n < 256 ? 9 : n < 280 ? 7 : 8;
      count[staticLLen[n]]++;
    }
    uint16_t next[kMaxBits + 2] = {};
    for (int b = 1, code = 0; b <= kMaxBits; b++)
      next[b] = uint16_t(code = (code + count[b - 1]) << 1);
    for (int n = 0; n < 288; n++) staticLCode[n] = Reverse(next[staticLLen[n]]++, staticLLen[n]);
    for (int n = 0; n < 30; n++) staticDCode[n] = Reverse(unsigned(n), 5), staticDLen[n] = 5;
  }
  static uint16_t Reverse(unsigned code, int len) {
    unsigned r = 0;
    for (; len > 0; len--, code >>= 1) r = (r << 1) | (code & 1);
    return uint16_t(r);
  }
  int DCode(unsigned dist) const {
    return dist < 256 ? distCode[dist] : distCode[256 + (dist >> 7)];
  }
};

const Tables kTables;
const Tables& T() { return kTables; }

// Length of the common run of a and b, starting at `from`, at most `max`.
unsigned MatchLength(const uint8_t* a, const uint8_t* b, unsigned from, unsigned max) {
  unsigned len = from;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  for (; len + 8 <= max; len += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + len, 8);
    std::memcpy(&y, b + len, 8);
    if (x != y) return len + unsigned(__builtin_ctzll(x ^ y) >> 3);
  }
#endif
  while (len < max && a[len] == b[len]) len++;
  return len;
}

struct TreeDesc {
  uint16_t* freq;
  uint16_t* len;
  uint16_t* code;
  const uint8_t* staticLen;  // null for the bit-length tree
  const uint8_t* extra;
  int extraBase, elems, maxLength, maxCode;
};

}  // namespace

class GnuEngine {
 public:
  GnuEngine(const WriteFn& out, const GnuParams& p)
      : out_(out), level_(p.level), cfg_(kConfig[p.level]), tail_(p.tail), endGuard_(p.endGuard) {}

  // Input arrives in pieces of any size; the engine runs as far as it can on each and keeps its
  // place, so its output never depends on how the input was cut.
  void Feed(const uint8_t* data, size_t n) {
    in_ = data;
    inLeft_ = n;
    Pump();
  }
  bool Finish() {
    ended_ = true;
    inLeft_ = 0;
    Pump();
    return phase_ == Phase::kDone && !aborted_;
  }

 private:
  enum class Phase { kFirstRead, kFirstFill, kRunning, kDone };

  void Pump() {
    if (phase_ == Phase::kFirstRead) {
      if (!Fill(0, 2 * kWSize)) return;
      lookahead_ = fillGot_;
      eof_ = lookahead_ == 0;
      phase_ = Phase::kFirstFill;
    }
    if (phase_ == Phase::kFirstFill) {
      while (lookahead_ < kMinLookahead && !eof_) {
        if (!FillWindow()) return;
      }
      if (lookahead_ != 0) {
        insH_ = 0;
        for (unsigned j = 0; j < kMinMatch - 1; j++) UpdateHash(window_[j]);
      }
      InitBlock();
      prevLength_ = kMinMatch - 1;
      matchLength_ = level_ <= 3 ? 0 : kMinMatch - 1;
      phase_ = Phase::kRunning;
    }
    while (phase_ == Phase::kRunning) {
      while (lookahead_ < kMinLookahead && !eof_) {
        if (!FillWindow()) return;
      }
      if (lookahead_ == 0) {
        if (level_ > 3 && matchAvailable_) Tally(0, window_[strstart_ - 1]);
        FlushBlock(true);
        phase_ = Phase::kDone;
      } else if (!(level_ <= 3 ? FastStep() : LazyStep())) {
        phase_ = Phase::kDone;
      }
    }
    FlushOut();
  }

  // ---- input window -------------------------------------------------
  // Copies input to window_[at...] until `want` bytes are there or the input has ended; false
  // while it waits for more. The count is left in fillGot_.
  bool Fill(unsigned at, unsigned want) {
    if (!filling_) {
      filling_ = true;
      fillGot_ = 0;
    }
    const size_t k = std::min<size_t>(want - fillGot_, inLeft_);
    if (k) std::memcpy(window_ + at + fillGot_, in_, k);
    in_ += k;
    inLeft_ -= k;
    fillGot_ += unsigned(k);
    if (fillGot_ < want && !ended_) return false;
    filling_ = false;
    return true;
  }

  // Slides the window when due, then reads all it can into the free part; false while waiting.
  bool FillWindow() {
    if (!filling_) {
      if (strstart_ >= kWSize + kMaxDist) {
        std::memcpy(window_, window_ + kWSize, kWSize);  // upper half stays: stale bytes matter
        matchStart_ -= kWSize;
        strstart_ -= kWSize;
        blockStart_ -= long(kWSize);
        for (auto& h : head_) h = uint16_t(h >= kWSize ? h - kWSize : 0);
        for (auto& h : prev_) h = uint16_t(h >= kWSize ? h - kWSize : 0);
      }
      fillAt_ = strstart_ + lookahead_;
      fillWant_ = 2 * kWSize - lookahead_ - strstart_;
    }
    if (!Fill(fillAt_, fillWant_)) return false;
    if (fillGot_ == 0) {
      eof_ = true;
      if (tail_ == GnuTail::Zeroed) std::memset(window_ + fillAt_, 0, kMinMatch - 1);
    } else {
      lookahead_ += fillGot_;
    }
    return true;
  }

  void UpdateHash(uint8_t c) { insH_ = ((insH_ << kHShift) ^ c) & kHashMask; }
  unsigned InsertString(unsigned s) {
    UpdateHash(window_[s + kMinMatch - 1]);
    unsigned h = head_[insH_];
    prev_[s & kWMask] = uint16_t(h);
    head_[insH_] = uint16_t(s);
    return h;
  }

  unsigned LongestMatch(unsigned cur) {
    unsigned chain = cfg_.chain;
    const uint8_t* scan = window_ + strstart_;
    unsigned best = prevLength_;
    // Capped: bytes past the end of input never compare equal.
    unsigned maxLen = tail_ == GnuTail::Capped ? std::min(kMaxMatch, lookahead_) : kMaxMatch;
    unsigned limit = strstart_ > kMaxDist ? strstart_ - kMaxDist : 0;
    if (prevLength_ >= cfg_.good) chain >>= 2;
    do {
      const uint8_t* m = window_ + cur;
      if (m[best] != scan[best] || m[best - 1] != scan[best - 1] || m[0] != scan[0] ||
          m[1] != scan[1])
        continue;
      unsigned len = MatchLength(scan, m, 3, maxLen);  // byte 2 is implied by the hash
      if (len > best) {
        matchStart_ = cur;
        best = len;
        if (len >= cfg_.nice) break;
      }
    } while ((cur = prev_[cur & kWMask]) > limit && --chain != 0);
    return best;
  }

  // Some builds refuse to search this close to the end of the buffer.
  bool InWindow() const { return !endGuard_ || strstart_ <= 2 * kWSize - kMinLookahead; }

  // Emit block when needed; returns false once the writer has aborted.
  bool FlushIf(bool flush) {
    if (flush) {
      FlushBlock(false);
      blockStart_ = long(strstart_);
    }
    return !aborted_;
  }

  // One step of the fast matcher (levels 1-3); false once the writer has aborted.
  bool FastStep() {
    unsigned hashHead = InsertString(strstart_);
    if (hashHead != 0 && strstart_ - hashHead <= kMaxDist && InWindow()) {
      matchLength_ = std::min(LongestMatch(hashHead), lookahead_);
    }
    bool flush;
    if (matchLength_ >= kMinMatch) {
      flush = Tally(strstart_ - matchStart_, matchLength_ - kMinMatch);
      lookahead_ -= matchLength_;
      if (matchLength_ <= cfg_.lazy) {
        matchLength_--;
        do InsertString(++strstart_);
        while (--matchLength_ != 0);
        strstart_++;
      } else {
        strstart_ += matchLength_;
        matchLength_ = 0;
        insH_ = window_[strstart_];
        UpdateHash(window_[strstart_ + 1]);
      }
    } else {
      flush = Tally(0, window_[strstart_]);
      lookahead_--;
      strstart_++;
    }
    return FlushIf(flush);
  }

  // One step of the lazy matcher (levels 4-9); false once the writer has aborted.
  bool LazyStep() {
    unsigned hashHead = InsertString(strstart_);
    prevLength_ = matchLength_;
    unsigned prevMatch = matchStart_;
    matchLength_ = kMinMatch - 1;
    if (hashHead != 0 && prevLength_ < cfg_.lazy && strstart_ - hashHead <= kMaxDist &&
        InWindow()) {
      matchLength_ = std::min(LongestMatch(hashHead), lookahead_);
      if (matchLength_ == kMinMatch && strstart_ - matchStart_ > kTooFar) matchLength_--;
    }
    if (prevLength_ >= kMinMatch && matchLength_ <= prevLength_) {
      bool flush = Tally(strstart_ - 1 - prevMatch, prevLength_ - kMinMatch);
      lookahead_ -= prevLength_ - 1;
      for (unsigned k = prevLength_ - 2; k != 0; k--) InsertString(++strstart_);
      matchAvailable_ = false;
      matchLength_ = kMinMatch - 1;
      strstart_++;
      return FlushIf(flush);
    }
    if (matchAvailable_) {
      if (!FlushIf(Tally(0, window_[strstart_ - 1]))) return false;
    } else {
      matchAvailable_ = true;
    }
    strstart_++;
    lookahead_--;
    return true;
  }

  // ---- symbol buffer ------------------------------------------------
  void InitBlock() {
    std::fill(std::begin(lFreq_), std::end(lFreq_), 0);
    std::fill(std::begin(dFreq_), std::end(dFreq_), 0);
    std::fill(std::begin(blFreq_), std::end(blFreq_), 0);
    lFreq_[kEndBlock] = 1;
    optLen_ = staticLen_ = 0;
    lastLit_ = lastDist_ = 0;
    std::fill(std::begin(flags_), std::end(flags_), 0);
  }

  // Records a literal (dist 0) or a match; true when the block should end.
  bool Tally(unsigned dist, unsigned lc) {
    lBuf_[lastLit_] = uint8_t(lc);
    if (dist == 0) {
      lFreq_[lc]++;
    } else {
      dist--;
      lFreq_[T().lengthCode[lc] + 257]++;
      dFreq_[T().DCode(dist)]++;
      dBuf_[lastDist_++] = uint16_t(dist);
      flags_[lastLit_ >> 3] |= uint8_t(1u << (lastLit_ & 7));
    }
    lastLit_++;
    // Cut early when matches are rare and the block compresses well anyway.
    if (level_ > 2 && (lastLit_ & 0xfff) == 0) {
      uint64_t outLen = uint64_t(lastLit_) * 8;
      uint64_t inLen = uint64_t(long(strstart_) - blockStart_);
      for (int c = 0; c < kDCodes; c++) outLen += uint64_t(dFreq_[c]) * (5 + kExtraDBits[c]);
      outLen >>= 3;
      if (lastDist_ < lastLit_ / 2 && outLen < inLen / 2) return true;
    }
    return lastLit_ == kLitBufSize - 1 || lastDist_ == kLitBufSize;
  }

  // ---- Huffman trees ------------------------------------------------
  bool Smaller(const uint16_t* f, int n, int m) const {
    return f[n] < f[m] || (f[n] == f[m] && depth_[n] <= depth_[m]);
  }
  void DownHeap(const uint16_t* f, int k) {
    int v = heap_[k];
    for (int j = k << 1; j <= heapLen_; k = j, j <<= 1) {
      if (j < heapLen_ && Smaller(f, heap_[j + 1], heap_[j])) j++;
      if (Smaller(f, v, heap_[j])) break;
      heap_[k] = heap_[j];
    }
    heap_[k] = v;
  }

  void BuildTree(TreeDesc& d) {
    uint16_t* f = d.freq;
    int maxCode = -1, node = d.elems;
    heapLen_ = 0;
    heapMax_ = kHeapSize;
    for (int n = 0; n < d.elems; n++) {
      if (f[n]) {
        heap_[++heapLen_] = maxCode = n;
        depth_[n] = 0;
      } else
        d.len[n] = 0;
    }
    // Deflate needs at least two codes; the bookkeeping below is part of the cost model.
    while (heapLen_ < 2) {
      int n = heap_[++heapLen_] = maxCode < 2 ? ++maxCode : 0;
      f[n] = 1;
      depth_[n] = 0;
      optLen_--;
      if (d.staticLen) staticLen_ -= d.staticLen[n];
    }
    d.maxCode = maxCode;
    for (int n = heapLen_ / 2; n >= 1; n--) DownHeap(f, n);
    do {
      int n = heap_[1];
      heap_[1] = heap_[heapLen_--];
      DownHeap(f, 1);
      int m = heap_[1];
      heap_[--heapMax_] = n;
      heap_[--heapMax_] = m;
      f[node] = uint16_t(f[n] + f[m]);
      depth_[node] = uint8_t(std::max(depth_[n], depth_[m]) + 1);
      dad_[n] = dad_[m] = uint16_t(node);
      heap_[1] = node++;
      DownHeap(f, 1);
    } while (heapLen_ >= 2);
    heap_[--heapMax_] = heap_[1];
    GenBitLen(d);
    GenCodes(d);
  }

  void GenBitLen(TreeDesc& d) {
    uint16_t* f = d.freq;
    uint16_t* len = d.len;
    std::fill(std::begin(blCount_), std::end(blCount_), 0);
    int overflow = 0;
    len[heap_[heapMax_]] = 0;
    int h;
    for (h = heapMax_ + 1; h < kHeapSize; h++) {
      int n = heap_[h];
      int bits = len[dad_[n]] + 1;
      if (bits > d.maxLength) {
        bits = d.maxLength;
        overflow++;
      }
      len[n] = uint16_t(bits);
      if (n > d.maxCode) continue;  // internal node
      blCount_[bits]++;
      int x = n >= d.extraBase ? d.extra[n - d.extraBase] : 0;
      optLen_ += uint64_t(f[n]) * unsigned(bits + x);
      if (d.staticLen) staticLen_ += uint64_t(f[n]) * unsigned(d.staticLen[n] + x);
    }
    if (overflow == 0) return;
    // Push overflowed leaves down by splitting the deepest shorter leaf.
    do {
      int bits = d.maxLength - 1;
      while (blCount_[bits] == 0) bits--;
      blCount_[bits]--;
      blCount_[bits + 1] += 2;
      blCount_[d.maxLength]--;
      overflow -= 2;
    } while (overflow > 0);
    h = kHeapSize;
    for (int bits = d.maxLength; bits != 0; bits--) {
      for (int n = blCount_[bits]; n != 0;) {
        int m = heap_[--h];
        if (m > d.maxCode) continue;
        if (len[m] != bits) {
          optLen_ += uint64_t(int64_t(bits - int(len[m])) * f[m]);
          len[m] = uint16_t(bits);
        }
        n--;
      }
    }
  }

  void GenCodes(TreeDesc& d) {
    uint16_t next[kMaxBits + 1];
    unsigned code = 0;
    for (int b = 1; b <= kMaxBits; b++) next[b] = uint16_t(code = (code + blCount_[b - 1]) << 1);
    for (int n = 0; n <= d.maxCode; n++)
      if (d.len[n]) d.code[n] = Tables::Reverse(next[d.len[n]]++, d.len[n]);
  }

  // Run-length coding of code lengths; `send` false only counts frequencies.
  void ScanTree(const uint16_t* len, int maxCode, bool send) {
    int prevLen = -1, nextLen = len[0], count = 0, maxCount = 7, minCount = 4;
    if (nextLen == 0) {
      maxCount = 138;
      minCount = 3;
    }
    for (int n = 0; n <= maxCode; n++) {
      int curLen = nextLen;
      nextLen = n + 1 <= maxCode ? len[n + 1] : 0xffff;
      if (++count < maxCount && curLen == nextLen) continue;
      if (count < minCount) {
        if (send) do
            SendCode(curLen, blCode_, blLen_);
          while (--count);
        else
          blFreq_[curLen] = uint16_t(blFreq_[curLen] + count);
      } else if (curLen != 0) {
        if (curLen != prevLen) {
          if (send) {
            SendCode(curLen, blCode_, blLen_);
            count--;
          } else
            blFreq_[curLen]++;
        }
        if (send) {
          SendCode(16, blCode_, blLen_);
          SendBits(unsigned(count - 3), 2);
        } else
          blFreq_[16]++;
      } else if (count <= 10) {
        if (send) {
          SendCode(17, blCode_, blLen_);
          SendBits(unsigned(count - 3), 3);
        } else
          blFreq_[17]++;
      } else {
        if (send) {
          SendCode(18, blCode_, blLen_);
          SendBits(unsigned(count - 11), 7);
        } else
          blFreq_[18]++;
      }
      count = 0;
      prevLen = curLen;
      if (nextLen == 0) {
        maxCount = 138;
        minCount = 3;
      } else if (curLen == nextLen) {
        maxCount = 6;
        minCount = 3;
      } else {
        maxCount = 7;
        minCount = 4;
      }
    }
  }

  void FlushBlock(bool last) {
    TreeDesc ld{lFreq_, lLen_, lCode_, T().staticLLen, kExtraLBits, 257, kLCodes, kMaxBits, 0};
    TreeDesc dd{dFreq_, dLen_, dCode_, T().staticDLen, kExtraDBits, 0, kDCodes, kMaxBits, 0};
    TreeDesc bd{blFreq_, blLen_, blCode_, nullptr, kExtraBLBits, 0, kBLCodes, 7, 0};
    BuildTree(ld);
    BuildTree(dd);
    ScanTree(lLen_, ld.maxCode, false);
    ScanTree(dLen_, dd.maxCode, false);
    BuildTree(bd);
    int maxBLIndex = kBLCodes - 1;
    while (maxBLIndex >= 3 && blLen_[kBLOrder[maxBLIndex]] == 0) maxBLIndex--;
    optLen_ += 3 * unsigned(maxBLIndex + 1) + 5 + 5 + 4;

    uint64_t optLenB = (optLen_ + 3 + 7) >> 3;
    uint64_t staticLenB = (staticLen_ + 3 + 7) >> 3;
    long storedLen = long(strstart_) - blockStart_;
    if (staticLenB <= optLenB) optLenB = staticLenB;
    if (uint64_t(storedLen) + 4 <= optLenB && blockStart_ >= 0) {
      SendBits(last ? 1 : 0, 3);
      AlignOut();
      PutShort(uint16_t(storedLen));
      PutShort(uint16_t(~storedLen));
      PutBytes(window_ + blockStart_, size_t(storedLen));
    } else if (staticLenB == optLenB) {
      SendBits(2 + (last ? 1 : 0), 3);
      CompressBlock(T().staticLCode, T().staticLLen, T().staticDCode, T().staticDLen);
    } else {
      SendBits(4 + (last ? 1 : 0), 3);
      SendBits(unsigned(ld.maxCode + 1 - 257), 5);
      SendBits(unsigned(dd.maxCode + 1 - 1), 5);
      SendBits(unsigned(maxBLIndex + 1 - 4), 4);
      for (int r = 0; r <= maxBLIndex; r++) SendBits(blLen_[kBLOrder[r]], 3);
      ScanTree(lLen_, ld.maxCode, true);
      ScanTree(dLen_, dd.maxCode, true);
      CompressBlock(lCode_, lLen_, dCode_, dLen_);
    }
    InitBlock();
    if (last) AlignOut();
  }

  template <class L>
  void CompressBlock(const uint16_t* lc, const L* ll, const uint16_t* dc, const L* dl) {
    const Tables& t = T();
    for (unsigned i = 0, dx = 0; i < lastLit_; i++) {
      unsigned sym = lBuf_[i];
      if (!(flags_[i >> 3] & (1u << (i & 7)))) {
        SendCode(int(sym), lc, ll);
        continue;
      }
      int code = t.lengthCode[sym];
      SendCode(code + 257, lc, ll);
      if (kExtraLBits[code]) SendBits(sym - t.baseLength[code], kExtraLBits[code]);
      unsigned dist = dBuf_[dx++];
      code = t.DCode(dist);
      SendCode(code, dc, dl);
      if (kExtraDBits[code]) SendBits(dist - t.baseDist[code], kExtraDBits[code]);
    }
    SendCode(kEndBlock, lc, ll);
  }

  // ---- bit output ---------------------------------------------------
  template <class L>
  void SendCode(int n, const uint16_t* code, const L* len) {
    SendBits(code[n], len[n]);
  }
  void SendBits(unsigned v, unsigned n) {
    bitBuf_ |= uint64_t(v) << bitCount_;
    bitCount_ += n;
    while (bitCount_ >= 8) {
      PutByte(uint8_t(bitBuf_));
      bitBuf_ >>= 8;
      bitCount_ -= 8;
    }
  }
  void AlignOut() {
    if (bitCount_) PutByte(uint8_t(bitBuf_));
    bitBuf_ = 0;
    bitCount_ = 0;
  }
  void PutShort(uint16_t v) {
    PutByte(uint8_t(v));
    PutByte(uint8_t(v >> 8));
  }
  void PutBytes(const uint8_t* p, size_t n) {
    while (n--) PutByte(*p++);
  }
  void PutByte(uint8_t b) {
    outBuf_[outLen_++] = b;
    if (outLen_ == sizeof(outBuf_)) FlushOut();
  }
  void FlushOut() {
    if (outLen_ && !aborted_ && !out_(outBuf_, outLen_)) aborted_ = true;
    outLen_ = 0;
  }

  WriteFn out_;
  int level_;
  Config cfg_;
  GnuTail tail_;
  bool endGuard_;
  bool aborted_ = false;

  Phase phase_ = Phase::kFirstRead;
  const uint8_t* in_ = nullptr;
  size_t inLeft_ = 0;
  bool ended_ = false;
  bool filling_ = false;
  unsigned fillAt_ = 0, fillWant_ = 0, fillGot_ = 0;
  unsigned matchLength_ = 0;
  bool matchAvailable_ = false;

  // Slack past the window keeps end-of-input comparisons in bounds.
  uint8_t window_[2 * kWSize + kMaxMatch + 8] = {};
  uint16_t prev_[kWSize] = {};
  uint16_t head_[kHashSize] = {};
  unsigned insH_ = 0, strstart_ = 0, lookahead_ = 0, matchStart_ = 0, prevLength_ = 0;
  long blockStart_ = 0;
  bool eof_ = false;

  uint8_t lBuf_[kLitBufSize];
  uint16_t dBuf_[kLitBufSize];
  uint8_t flags_[kLitBufSize / 8];
  unsigned lastLit_ = 0, lastDist_ = 0;

  uint16_t lFreq_[kHeapSize], lLen_[kHeapSize], lCode_[kHeapSize];
  uint16_t dFreq_[2 * kDCodes + 1], dLen_[2 * kDCodes + 1], dCode_[2 * kDCodes + 1];
  uint16_t blFreq_[2 * kBLCodes + 1], blLen_[2 * kBLCodes + 1], blCode_[2 * kBLCodes + 1];
  uint16_t dad_[kHeapSize];
  uint8_t depth_[kHeapSize];
  int heap_[kHeapSize];
  int heapLen_ = 0, heapMax_ = 0;
  uint16_t blCount_[kMaxBits + 1];
  uint64_t optLen_ = 0, staticLen_ = 0;

  uint64_t bitBuf_ = 0;
  unsigned bitCount_ = 0;
  uint8_t outBuf_[16384];
  size_t outLen_ = 0;
};



GnuDeflater::GnuDeflater() = default;
GnuDeflater::~GnuDeflater() = default;

bool GnuDeflater::Start(const GnuParams& p, const WriteFn& out) {
  engine_.reset();
  if (p.level < 1 || p.level > 9) return false;
  engine_ = std::make_unique<GnuEngine>(out, p);
  return true;
}

void GnuDeflater::Feed(const uint8_t* data, size_t n) {
  if (engine_) engine_->Feed(data, n);
}

bool GnuDeflater::Finish() {
  const bool done = engine_ && engine_->Finish();
  engine_.reset();
  return done;
}

bool GnuMatches(const uint8_t* data, size_t n, const uint8_t* deflated, size_t dn,
                const GnuParams& p) {
  size_t cmp = 0;
  WriteFn out = [&](const uint8_t* buf, size_t k) {
    if (k > dn - cmp || std::memcmp(buf, deflated + cmp, k) != 0) return false;
    cmp += k;
    return true;
  };
  GnuDeflater deflater;
  if (!deflater.Start(p, out)) return false;
  deflater.Feed(data, n);
  return deflater.Finish() && cmp == dn;
}

bool GnuFindParams(const uint8_t* data, size_t n, const uint8_t* deflated, size_t dn,
                   GnuParams* found) {
  static const int kOrder[9] = {6, 9, 1, 5, 4, 7, 8, 3, 2};  // most common first
  // Known builds first (gzip, zip), then the remaining combinations.
  static const std::pair<GnuTail, bool> kVariants[6] = {
      {GnuTail::Zeroed, true},  {GnuTail::Capped, false}, {GnuTail::Capped, true},
      {GnuTail::Zeroed, false}, {GnuTail::Stale, true},   {GnuTail::Stale, false}};
  for (const auto& v : kVariants) {
    for (int level : kOrder) {
      GnuParams p;
      p.level = level;
      p.tail = v.first;
      p.endGuard = v.second;
      if (GnuMatches(data, n, deflated, dn, p)) {
        if (found) *found = p;
        return true;
      }
    }
  }
  return false;
}

}  // namespace uha
