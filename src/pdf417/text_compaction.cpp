// Text Compaction: bytes become values of the four sub-modes, two values a codeword.
#include "pdf417/compaction.h"

namespace torv::pdf417 {
namespace {

// Sub-mode switch values.
constexpr std::uint8_t kPL = 25;  // Mixed: latch to Punctuation
constexpr std::uint8_t kLL = 27;  // Alpha, Mixed: latch to Lower
constexpr std::uint8_t kAS = 27;  // Lower: shift to Alpha
constexpr std::uint8_t kML = 28;  // Alpha, Lower: latch to Mixed
constexpr std::uint8_t kAL = 28;  // Mixed: latch to Alpha
constexpr std::uint8_t kPS = 29;  // Alpha, Lower, Mixed: shift to Punctuation
constexpr std::uint8_t kPAL = 29; // Punctuation: latch to Alpha

struct Values {
    std::uint8_t v[3];
    std::uint8_t count;
    TextSubMode next;
};

// Whether the k bytes after position pos all carry the class bit.
bool nextAllHave(const InputCursor& in, std::uint32_t pos, std::uint32_t k, std::uint8_t bit) {
    if (in.end - pos - 1 < k) return false;
    for (std::uint32_t i = 1; i <= k; ++i) {
        if ((kCharClass[in.data[pos + i]] & bit) == 0) return false;
    }
    return true;
}

Values valuesFor(const InputCursor& in, std::uint32_t pos, TextSubMode sub) {
    const std::uint8_t b = in.data[pos];
    const std::uint8_t cls = kCharClass[b];
    const std::uint8_t a = kSubModeValue[SubAlpha][b];
    const std::uint8_t l = kSubModeValue[SubLower][b];
    const std::uint8_t m = kSubModeValue[SubMixed][b];
    const std::uint8_t p = kSubModeValue[SubPunct][b];
    switch (sub) {
        case SubAlpha:
            if (cls & kAlpha) return {{a}, 1, SubAlpha};
            if (cls & kLower) return {{kLL, l}, 2, SubLower};
            if (cls & kPunct) {
                if (nextAllHave(in, pos, 3, kPunct)) return {{kML, kPL, p}, 3, SubPunct};
                return {{kPS, p}, 2, SubAlpha};
            }
            return {{kML, m}, 2, SubMixed};
        case SubLower:
            if (cls & kLower) return {{l}, 1, SubLower};
            if (cls & kAlpha) {
                if (nextAllHave(in, pos, 4, kAlpha)) return {{kML, kAL, a}, 3, SubAlpha};
                return {{kAS, a}, 2, SubLower};
            }
            if (cls & kPunct) {
                if (nextAllHave(in, pos, 3, kPunct)) return {{kML, kPL, p}, 3, SubPunct};
                return {{kPS, p}, 2, SubLower};
            }
            return {{kML, m}, 2, SubMixed};
        case SubMixed:
            if (cls & kMixed) return {{m}, 1, SubMixed};
            if (cls & kAlpha) return {{kAL, a}, 2, SubAlpha};
            if (cls & kLower) return {{kLL, l}, 2, SubLower};
            if (nextAllHave(in, pos, 3, kPunct)) return {{kPL, p}, 2, SubPunct};
            return {{kPS, p}, 2, SubMixed};
        case SubPunct:
        default:
            if (cls & kPunct) return {{p}, 1, SubPunct};
            if (cls & kAlpha) return {{kPAL, a}, 2, SubAlpha};
            if (cls & kMixed) return {{kPAL, kML, m}, 3, SubMixed};
            return {{kPAL, kLL, l}, 3, SubLower};
    }
}

}  // namespace

bool textCompact(InputCursor& in, std::uint32_t n, CodewordBuffer& buffer, TextSubMode& subMode) {
    std::uint32_t budget = 2 * buffer.freeCount();
    int pending = -1;  // a value waiting for its partner
    bool roomLeft = true;
    const std::uint32_t stop = n < in.remaining() ? in.pos + n : in.end;
    while (in.pos < stop) {
        if (!isTextByte(in.data[in.pos])) break;
        const Values values = valuesFor(in, in.pos, subMode);
        if (values.count > budget) {
            roomLeft = false;  // the byte stays unconsumed
            break;
        }
        budget -= values.count;
        ++in.pos;
        subMode = values.next;
        for (std::uint8_t i = 0; i < values.count; ++i) {
            if (pending < 0) {
                pending = values.v[i];
            } else {
                buffer.append(30u * static_cast<unsigned>(pending) + values.v[i]);
                pending = -1;
            }
        }
    }
    if (pending >= 0) {
        buffer.append(30u * static_cast<unsigned>(pending) + kPS);
        // 29 latches back to Alpha from Punctuation; elsewhere it is a shift that nothing follows.
        if (subMode == SubPunct) subMode = SubAlpha;
    }
    return roomLeft;
}

}  // namespace torv::pdf417
