#include "model/unmasking_list.h"

#include <algorithm>
#include <vector>

namespace tolvane::sim {

namespace {

constexpr std::u16string_view kEveryHost = u"*";
// iSCSI names that carry a hex identifier, and the lengths it may have.
struct HexName {
    std::u16string_view prefix;
    std::size_t digits;
    std::size_t longDigits;
};
constexpr HexName kHexNames[] = {{u"eui.", 16, 16}, {u"naa.", 16, 32}};
// The longest iSCSI name there is, in bytes of UTF-8; ours are ASCII.
constexpr std::size_t kMaxIscsiName = 223;

bool isHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }
char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c; }

bool allHex(std::u16string_view s) { return std::all_of(s.begin(), s.end(), isHex); }

std::u16string mapped(std::u16string_view s, char16_t (*f)(char16_t)) {
    std::u16string out(s);
    std::transform(out.begin(), out.end(), out.begin(), f);
    return out;
}

std::u16string_view trimmed(std::u16string_view s) {
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// `prefix` is lower case; the entry's may be either.
bool startsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && mapped(s.substr(0, prefix.size()), lower) == prefix;
}

// iqn.yyyy-mm.naming-authority[:unique], already lower case: the characters
// an iSCSI name allows, a real month, an authority that is not empty.
bool isIqn(std::u16string_view s) {
    if (s.size() > kMaxIscsiName) return false;
    const auto allowed = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || isDigit(c) || c == u'-' || c == u'.' || c == u':';
    };
    if (!std::all_of(s.begin(), s.end(), allowed)) return false;
    const std::u16string_view date = s.substr(4);
    if (date.size() < 9 || !std::all_of(date.begin(), date.begin() + 4, isDigit) || date[4] != u'-' ||
        !isDigit(date[5]) || !isDigit(date[6]) || date[7] != u'.')
        return false;
    const int month = (date[5] - u'0') * 10 + (date[6] - u'0');
    if (month < 1 || month > 12) return false;
    const std::u16string_view rest = date.substr(8);
    const std::size_t colon = rest.find(u':');
    return colon != 0 && (colon == std::u16string_view::npos || colon + 1 < rest.size());
}

// One entry in its normal form, or nullopt when it names no host.
std::optional<std::u16string> normalEntry(std::u16string_view e) {
    if (e.size() == 16 && allHex(e)) return mapped(e, upper);
    for (const HexName& kind : kHexNames) {
        if (!startsWith(e, kind.prefix)) continue;
        const std::u16string_view hex = e.substr(kind.prefix.size());
        if ((hex.size() != kind.digits && hex.size() != kind.longDigits) || !allHex(hex)) return std::nullopt;
        return std::u16string(kind.prefix) + mapped(hex, upper);
    }
    if (startsWith(e, u"iqn.")) {
        std::u16string name = mapped(e, lower);
        if (isIqn(name)) return name;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::u16string> effectiveUnmaskingList(std::u16string_view text) {
    std::vector<std::u16string> entries;
    bool everyHost = false;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(u';', start);
        if (end == std::u16string_view::npos) end = text.size();
        const std::u16string_view entry = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (entry.empty()) continue;
        if (entry == kEveryHost) {
            everyHost = true;
            continue;
        }
        auto normal = normalEntry(entry);
        if (!normal) return std::nullopt;
        if (std::find(entries.begin(), entries.end(), *normal) == entries.end()) entries.push_back(std::move(*normal));
    }
    if (everyHost) {
        if (!entries.empty()) return std::nullopt;
        return std::u16string(kEveryHost);
    }
    std::u16string out;
    for (const auto& e : entries) out += (out.empty() ? u"" : u";") + e;
    return out;
}

}  // namespace tolvane::sim
