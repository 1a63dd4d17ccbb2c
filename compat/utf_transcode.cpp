#include "utf_transcode.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Appends code points to a destination that may be absent (size-only pass).
template <typename Unit>
class Emitter {
public:
    explicit Emitter(Unit* out) : out_(out) {}
    void put(Unit unit) {
        if (out_ != nullptr) out_[count_] = unit;
        ++count_;
    }
    std::size_t count() const { return count_; }

private:
    Unit* out_;
    std::size_t count_ = 0;
};

void putUtf8(Emitter<char>& out, char32_t cp) {
    auto byte = [](char32_t value) { return static_cast<char>(static_cast<std::uint8_t>(value)); };
    if (cp < 0x80) {
        out.put(byte(cp));
    } else if (cp < 0x800) {
        out.put(byte(0xC0 | (cp >> 6)));
        out.put(byte(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.put(byte(0xE0 | (cp >> 12)));
        out.put(byte(0x80 | ((cp >> 6) & 0x3F)));
        out.put(byte(0x80 | (cp & 0x3F)));
    } else {
        out.put(byte(0xF0 | (cp >> 18)));
        out.put(byte(0x80 | ((cp >> 12) & 0x3F)));
        out.put(byte(0x80 | ((cp >> 6) & 0x3F)));
        out.put(byte(0x80 | (cp & 0x3F)));
    }
}

void putUtf16(Emitter<char16_t>& out, char32_t cp) {
    if (cp < 0x10000) {
        out.put(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.put(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

// How a UTF-8 lead byte continues: the number of continuation bytes and the
// range allowed for the first of them (which rules out overlong forms,
// encoded surrogates and values above U+10FFFF).
struct Utf8Lead {
    int continuations;
    std::uint8_t firstLow;
    std::uint8_t firstHigh;
    std::uint8_t payloadMask;
};

bool describeLead(std::uint8_t lead, Utf8Lead& out) {
    if (lead >= 0xC2 && lead <= 0xDF) out = {1, 0x80, 0xBF, 0x1F};
    else if (lead == 0xE0) out = {2, 0xA0, 0xBF, 0x0F};
    else if (lead == 0xED) out = {2, 0x80, 0x9F, 0x0F};
    else if (lead >= 0xE1 && lead <= 0xEF) out = {2, 0x80, 0xBF, 0x0F};
    else if (lead == 0xF0) out = {3, 0x90, 0xBF, 0x07};
    else if (lead >= 0xF1 && lead <= 0xF3) out = {3, 0x80, 0xBF, 0x07};
    else if (lead == 0xF4) out = {3, 0x80, 0x8F, 0x07};
    else return false;
    return true;
}

}  // namespace

namespace tolvane::compat {

TranscodeResult utf16ToUtf8(const char16_t* in, std::size_t count, char* out) {
    Emitter<char> emit(out);
    TranscodeResult result;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t unit = in[i];
        if (isHighSurrogate(unit) && i + 1 < count && isLowSurrogate(in[i + 1])) {
            char32_t low = in[++i];
            putUtf8(emit, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            result.sawInvalid = true;
            putUtf8(emit, kReplacement);
        } else {
            putUtf8(emit, unit);
        }
    }
    result.units = emit.count();
    return result;
}

TranscodeResult utf8ToUtf16(const char* in, std::size_t count, char16_t* out) {
    Emitter<char16_t> emit(out);
    TranscodeResult result;
    auto byteAt = [in](std::size_t i) { return static_cast<std::uint8_t>(in[i]); };
    std::size_t i = 0;
    while (i < count) {
        std::uint8_t lead = byteAt(i);
        if (lead < 0x80) {
            putUtf16(emit, lead);
            ++i;
            continue;
        }
        Utf8Lead shape{};
        if (!describeLead(lead, shape)) {
            result.sawInvalid = true;
            putUtf16(emit, kReplacement);
            ++i;
            continue;
        }
        char32_t cp = lead & shape.payloadMask;
        std::size_t next = i + 1;
        int taken = 0;
        for (; taken < shape.continuations && next < count; ++taken, ++next) {
            std::uint8_t low = taken == 0 ? shape.firstLow : 0x80;
            std::uint8_t high = taken == 0 ? shape.firstHigh : 0xBF;
            std::uint8_t byte = byteAt(next);
            if (byte < low || byte > high) break;
            cp = (cp << 6) | (byte & 0x3F);
        }
        if (taken == shape.continuations) {
            putUtf16(emit, cp);
        } else {
            result.sawInvalid = true;
            putUtf16(emit, kReplacement);
        }
        i = next;
    }
    result.units = emit.count();
    return result;
}

}  // namespace tolvane::compat
