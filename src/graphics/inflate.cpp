// Inflate strategy: a 64-bit bit buffer refilled with one unaligned load while
// 8 input bytes remain (zero bits past the end, counted, so that using them
// fails the decode), and canonical Huffman codes in two-level lookup tables:
// a first level indexed by the next few bits, subtables for longer codes.
// Table entries that no code fills stand for the parts of the code tree that
// are empty, and decoding one fails, exactly like walking the tree bit by bit.
#include "graphics/inflate.h"

#include <cstring>
#include <memory>
#include <new>

namespace kx {

namespace {

// ---- Tables of RFC 1951 ----------------------------------------------------

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr int kMaxCodeBits = 15;
constexpr int kLitLenSymbols = 288;
constexpr int kDistanceSymbols = 32;
constexpr int kCodeLengthSymbols = 19;

// ---- Huffman lookup tables -------------------------------------------------

enum EntryKind : uint8_t {
    kLiteral,
    kLength,  // value = length base, extra = extra bits
    kEndOfBlock,
    kDistance,    // value = distance base, extra = extra bits
    kPlain,       // code-length symbols: value = the symbol
    kSubtable,    // value = subtable offset, extra = subtable index bits
    kEmpty,       // no code here
    kOutOfRange,  // literal/length 286, 287; distance 30, 31
};

struct Entry {
    uint16_t value;
    uint8_t bits;  // bits this entry consumes
    uint8_t kind : 4;
    uint8_t extra : 4;
};
static_assert(sizeof(Entry) == 4);

enum class Alphabet { litLen, distance, codeLength };

Entry symbolEntry(Alphabet alphabet, int symbol) {
    switch (alphabet) {
    case Alphabet::litLen:
        if (symbol < 256)
            return {uint16_t(symbol), 0, kLiteral, 0};
        if (symbol == 256)
            return {0, 0, kEndOfBlock, 0};
        if (symbol < 286)
            return {kLengthBase[symbol - 257], 0, kLength, kLengthExtra[symbol - 257]};
        return {0, 0, kOutOfRange, 0};
    case Alphabet::distance:
        if (symbol < 30)
            return {kDistanceBase[symbol], 0, kDistance, kDistanceExtra[symbol]};
        return {0, 0, kOutOfRange, 0};
    case Alphabet::codeLength: break;
    }
    return {uint16_t(symbol), 0, kPlain, 0};
}

uint32_t reverseBits(uint32_t code, int length) {
    uint32_t r = 0;
    for (int i = 0; i < length; ++i, code >>= 1)
        r = (r << 1) | (code & 1u);
    return r;
}

// A first level of 2^rootBits entries plus at most one subtable per root
// entry, each no larger than 2^(15 - rootBits); a code has at most
// maxSymbols root prefixes of long codes.
template <int RootBits, int MaxSymbols>
struct HuffmanTable {
    static constexpr int kRootBits = RootBits;
    static constexpr int kCapacity =
        (1 << RootBits) + MaxSymbols * (1 << (kMaxCodeBits - RootBits > 0 ? kMaxCodeBits - RootBits : 0));
    Entry entries[kCapacity];

    // False for an over-subscribed set of lengths. An incomplete code (and an
    // empty one) is allowed: its unfilled entries are kEmpty.
    bool build(const uint8_t* lengths, int count, Alphabet alphabet) {
        int lengthCount[kMaxCodeBits + 1] = {};
        for (int s = 0; s < count; ++s)
            ++lengthCount[lengths[s]];
        lengthCount[0] = 0;
        int left = 1;
        for (int len = 1; len <= kMaxCodeBits; ++len) {
            left = (left << 1) - lengthCount[len];
            if (left < 0)
                return false;
        }
        uint32_t nextCode[kMaxCodeBits + 2] = {};
        uint32_t code = 0;
        for (int len = 1; len <= kMaxCodeBits; ++len) {
            code = (code + lengthCount[len - 1]) << 1;
            nextCode[len] = code;
        }

        constexpr uint32_t rootSize = 1u << RootBits;
        for (uint32_t i = 0; i < rootSize; ++i)
            entries[i] = {0, 0, kEmpty, 0};

        // Codes are assigned in symbol order per length (canonical), and
        // stored bit-reversed because the stream is read LSB first.
        uint32_t reversed[kLitLenSymbols];
        uint8_t longest[rootSize] = {};
        for (int s = 0; s < count; ++s) {
            const int len = lengths[s];
            if (len == 0)
                continue;
            reversed[s] = reverseBits(nextCode[len]++, len);
            if (len > RootBits) {
                uint8_t& l = longest[reversed[s] & (rootSize - 1)];
                if (len > l)
                    l = uint8_t(len);
            }
        }
        uint32_t next = rootSize;
        for (uint32_t i = 0; i < rootSize; ++i) {
            if (!longest[i])
                continue;
            const int subBits = longest[i] - RootBits;
            entries[i] = {uint16_t(next), uint8_t(RootBits), kSubtable, uint8_t(subBits)};
            for (uint32_t j = 0; j < (1u << subBits); ++j)
                entries[next + j] = {0, 0, kEmpty, 0};
            next += 1u << subBits;
        }
        for (int s = 0; s < count; ++s) {
            const int len = lengths[s];
            if (len == 0)
                continue;
            Entry e = symbolEntry(alphabet, s);
            const uint32_t r = reversed[s];
            if (len <= RootBits) {
                e.bits = uint8_t(len);
                for (uint32_t i = r; i < rootSize; i += 1u << len)
                    entries[i] = e;
            } else {
                const Entry& sub = entries[r & (rootSize - 1)];
                const int rest = len - RootBits;
                e.bits = uint8_t(rest);
                for (uint32_t i = r >> RootBits; i < (1u << sub.extra); i += 1u << rest)
                    entries[sub.value + i] = e;
            }
        }
        return true;
    }
};

using LitLenTable = HuffmanTable<10, kLitLenSymbols>;
using DistanceTable = HuffmanTable<8, kDistanceSymbols>;
using CodeLengthTable = HuffmanTable<7, kCodeLengthSymbols>;

// ---- Bit reader --------------------------------------------------------------

class BitReader {
public:
    BitReader(const uint8_t* in, size_t size) : p_(in), end_(in + size) {}

    // After refill() at least 56 bits are buffered (zero bits past the end).
    void refill() {
        if (end_ - p_ >= 8) {
            uint64_t v;
            std::memcpy(&v, p_, 8);  // little-endian host
            buffer_ |= v << count_;
            p_ += (63 - count_) >> 3;
            count_ |= 56;
        } else {
            while (count_ <= 56) {
                if (p_ < end_)
                    buffer_ |= uint64_t(*p_++) << count_;
                else
                    padding_ += 8;
                count_ += 8;
            }
        }
    }
    uint32_t peek(int n) const { return uint32_t(buffer_ & ((uint64_t(1) << n) - 1)); }
    uint64_t buffer() const { return buffer_; }
    void consume(int n) {
        buffer_ >>= n;
        count_ -= n;
    }
    uint32_t take(int n) {
        const uint32_t v = peek(n);
        consume(n);
        return v;
    }
    // True once bits past the end of the input have been used.
    bool overrun() const { return padding_ > count_; }

    // Drops the bits up to the next byte boundary and hands back the whole
    // bytes still buffered, so that stored data can be copied from the input.
    void alignToByte() {
        consume(count_ & 7);
        const unsigned realBits = padding_ < count_ ? count_ - padding_ : 0;
        p_ -= realBits / 8;
        buffer_ = 0;
        count_ = 0;
        padding_ = 0;
    }
    size_t bytesLeft() const { return size_t(end_ - p_); }
    const uint8_t* bytes() const { return p_; }
    void skipBytes(size_t n) { p_ += n; }

private:
    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t buffer_ = 0;
    unsigned count_ = 0;    // valid bits in buffer_ (the bits above may hold the next bytes)
    unsigned padding_ = 0;  // zero bits added past the end, at the top of the valid bits
};

template <class Table>
inline Entry lookup(const Table& table, BitReader& bits) {
    Entry e = table.entries[bits.peek(Table::kRootBits)];
    if (e.kind == kSubtable) {
        bits.consume(Table::kRootBits);
        e = table.entries[e.value + bits.peek(e.extra)];
    }
    return e;
}

// ---- Blocks --------------------------------------------------------------------

class Inflater {
public:
    Inflater(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize)
        : bits_(in, inSize), out_(out), outSize_(outSize) {}

    PngError run() {
        bits_.refill();
        const uint32_t cmf = bits_.take(8);
        const uint32_t flg = bits_.take(8);
        if (bits_.overrun())
            return PngError::inputOverrun;
        if ((cmf * 256 + flg) % 31 != 0 || (cmf & 15) != 8 || cmf >= 0x80 || (flg & 0x20))
            return PngError::badZlibHeader;
        bool final = false;
        while (!final) {
            bits_.refill();
            final = bits_.take(1);
            const uint32_t type = bits_.take(2);
            if (bits_.overrun())
                return PngError::inputOverrun;
            PngError e = PngError::none;
            switch (type) {
            case 0: e = storedBlock(); break;
            case 1: e = fixedBlock(); break;
            case 2: e = dynamicBlock(); break;
            default: return PngError::badBlockType;
            }
            if (e != PngError::none)
                return e;
        }
        return PngError::none;
    }

    size_t produced() const { return pos_; }

private:
    PngError storedBlock() {
        bits_.alignToByte();
        if (bits_.bytesLeft() < 4)
            return PngError::inputOverrun;
        const uint8_t* h = bits_.bytes();
        const uint32_t len = h[0] | uint32_t(h[1]) << 8;
        const uint32_t nlen = h[2] | uint32_t(h[3]) << 8;
        bits_.skipBytes(4);
        if (len + nlen != 0xFFFF)
            return PngError::badStoredLength;
        if (len > outSize_ - pos_)
            return PngError::outputOverrun;
        if (len > bits_.bytesLeft())
            return PngError::inputOverrun;
        std::memcpy(out_ + pos_, bits_.bytes(), len);
        bits_.skipBytes(len);
        pos_ += len;
        return PngError::none;
    }

    PngError fixedBlock() {
        if (!fixedBuilt_) {
            uint8_t lengths[kLitLenSymbols + kDistanceSymbols];
            std::memset(lengths, 8, 144);
            std::memset(lengths + 144, 9, 112);
            std::memset(lengths + 256, 7, 24);
            std::memset(lengths + 280, 8, 8);
            std::memset(lengths + 288, 5, 30);
            litLen_.build(lengths, kLitLenSymbols, Alphabet::litLen);
            distance_.build(lengths + 288, 30, Alphabet::distance);
            fixedBuilt_ = true;
        }
        return huffmanBlock();
    }

    PngError dynamicBlock() {
        fixedBuilt_ = false;  // the tables are about to be replaced
        bits_.refill();
        const int hlit = int(bits_.take(5)) + 257;
        const int hdist = int(bits_.take(5)) + 1;
        const int hclen = int(bits_.take(4)) + 4;
        uint8_t codeLengthLengths[kCodeLengthSymbols] = {};
        for (int i = 0; i < hclen; ++i) {
            if (i % 16 == 0)  // 16 x 3 bits fit in one refill
                bits_.refill();
            codeLengthLengths[kCodeLengthOrder[i]] = uint8_t(bits_.take(3));
        }
        if (bits_.overrun())
            return PngError::inputOverrun;
        if (!codeLengths_.build(codeLengthLengths, kCodeLengthSymbols, Alphabet::codeLength))
            return PngError::badCodeLengths;

        uint8_t lengths[kLitLenSymbols + kDistanceSymbols] = {};
        const int total = hlit + hdist;
        for (int n = 0; n < total;) {
            bits_.refill();
            const Entry e = lookup(codeLengths_, bits_);
            if (e.kind == kEmpty)
                return PngError::badCode;
            bits_.consume(e.bits);
            int repeat;
            uint8_t value;
            if (e.value < 16) {
                lengths[n++] = uint8_t(e.value);
                if (bits_.overrun())
                    return PngError::inputOverrun;
                continue;
            } else if (e.value == 16) {
                if (n == 0)
                    return PngError::badCodeLengths;
                value = lengths[n - 1];
                repeat = 3 + int(bits_.take(2));
            } else if (e.value == 17) {
                value = 0;
                repeat = 3 + int(bits_.take(3));
            } else {
                value = 0;
                repeat = 11 + int(bits_.take(7));
            }
            if (bits_.overrun())
                return PngError::inputOverrun;
            if (repeat > total - n)
                return PngError::badCodeLengths;
            std::memset(lengths + n, value, size_t(repeat));
            n += repeat;
        }
        if (!litLen_.build(lengths, hlit, Alphabet::litLen) ||
            !distance_.build(lengths + hlit, hdist, Alphabet::distance))
            return PngError::badCodeLengths;
        return huffmanBlock();
    }

    PngError huffmanBlock() {
        // The bit reader and the position work as locals: every byte stored
        // through `out` could alias a member, which would keep them in memory.
        BitReader bits = bits_;
        size_t pos = pos_;
        const PngError result = decodeSymbols(bits, pos);
        bits_ = bits;
        pos_ = pos;
        return result;
    }

    [[gnu::always_inline]] inline PngError decodeSymbols(BitReader& bits, size_t& pos) {
        uint8_t* const out = out_;
        const size_t outSize = outSize_;
        for (;;) {
            bits.refill();
            Entry e = lookup(litLen_, bits);
            bits.consume(e.bits);
            if (e.kind == kLiteral) {
                // A second literal without refilling: 56 - 15 bits remain.
                if (pos >= outSize)
                    return PngError::outputOverrun;
                out[pos++] = uint8_t(e.value);
                e = lookup(litLen_, bits);
                bits.consume(e.bits);
                if (e.kind == kLiteral) {
                    if (bits.overrun())
                        return PngError::inputOverrun;
                    if (pos >= outSize)
                        return PngError::outputOverrun;
                    out[pos++] = uint8_t(e.value);
                    continue;
                }
                bits.refill();
            }
            if (e.kind != kLength) {
                if (bits.overrun())
                    return PngError::inputOverrun;
                if (e.kind == kEndOfBlock)
                    return PngError::none;
                return e.kind == kEmpty ? PngError::badCode : PngError::badSymbol;
            }
            // Length extra (5) + distance code (15) + extra (13) fit in what is
            // left after a refill and at most 15 + 15 bits used.
            const size_t length = e.value + bits.take(e.extra);
            Entry d = lookup(distance_, bits);
            bits.consume(d.bits);
            if (d.kind != kDistance) {
                if (bits.overrun())
                    return PngError::inputOverrun;
                return d.kind == kEmpty ? PngError::badCode : PngError::badSymbol;
            }
            const size_t distance = d.value + bits.take(d.extra);
            if (bits.overrun())
                return PngError::inputOverrun;
            if (distance > pos)
                return PngError::distanceTooFar;
            if (length > outSize - pos)
                return PngError::outputOverrun;
            copyMatch(out + pos, distance, length, outSize - pos);
            pos += length;
        }
    }

    // Copies as if byte by byte (an overlapping copy repeats the pattern).
    static void copyMatch(uint8_t* to, size_t distance, size_t length, size_t room) {
        const uint8_t* from = to - distance;
        if (distance >= 8 && length + 8 <= room) {
            // 8-byte steps never read what the same step writes; the last
            // step may write up to 7 bytes past the match, inside the buffer,
            // which later output overwrites.
            for (size_t i = 0; i < length; i += 8)
                std::memcpy(to + i, from + i, 8);
        } else if (distance == 1) {
            std::memset(to, *from, length);
        } else {
            for (size_t i = 0; i < length; ++i)
                to[i] = from[i];
        }
    }

    BitReader bits_;
    uint8_t* out_;
    size_t outSize_;
    size_t pos_ = 0;
    bool fixedBuilt_ = false;
    LitLenTable litLen_;
    DistanceTable distance_;
    CodeLengthTable codeLengths_;
};

}  // namespace

PngError inflateZlib(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize, size_t* produced) {
    // The tables (about 60 KB) live on the heap, not on the caller's stack.
    std::unique_ptr<Inflater> inflater(new (std::nothrow) Inflater(in, inSize, out, outSize));
    *produced = 0;
    if (!inflater)
        return PngError::outOfMemory;
    const PngError e = inflater->run();
    *produced = inflater->produced();
    return e;
}

}  // namespace kx
