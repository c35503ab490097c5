#include "files/name_pattern.h"

#include <cstddef>
#include <vector>

namespace LumoBase {
namespace {

enum class Kind { kLiteral, kStar, kOne, kStarToLastDot, kDot };

struct Token {
    Kind kind;
    size_t begin;  // the literal character in the pattern
    size_t end;
};

// The platform turns "?" into its DOS form everywhere, "*" before "." and "."
// before a wildcard or at the end likewise; "<", ">" and '"' are those forms given
// directly.
std::vector<Token> Tokens(const PString& pattern, const LeadBytes& rule) {
    std::vector<Token> tokens;
    for (size_t i = 0; i < pattern.size();) {
        const size_t next = rule.Next(pattern, i);
        const char c = next == i + 1 ? pattern[i] : '\0';
        const char after = next < pattern.size() ? pattern[next] : '\0';
        Kind kind = Kind::kLiteral;
        if (c == '*') kind = after == '.' ? Kind::kStarToLastDot : Kind::kStar;
        else if (c == '?' || c == '>') kind = Kind::kOne;
        else if (c == '<') kind = Kind::kStarToLastDot;
        else if (c == '"') kind = Kind::kDot;
        else if (c == '.' && (after == '*' || after == '?' || after == '\0')) kind = Kind::kDot;
        tokens.push_back({kind, i, next});
        i = next;
    }
    return tokens;
}

}  // namespace

CaseFold::CaseFold() : double_(nullptr) {
    for (unsigned b = 0; b < 256; ++b)
        upper_[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
}

CaseFold& CaseFold::Set(unsigned char lower, unsigned char upper) {
    upper_[lower] = upper;
    return *this;
}

CaseFold& CaseFold::SetDouble(DoubleUpper upper) {
    double_ = upper;
    return *this;
}

bool CaseFold::Same(const char* a, const char* b, size_t length) const {
    if (length == 1)
        return upper_[static_cast<unsigned char>(*a)] == upper_[static_cast<unsigned char>(*b)];
    if (length != 2 || !double_) {
        for (size_t i = 0; i < length; ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    unsigned char leadA = static_cast<unsigned char>(a[0]), trailA = static_cast<unsigned char>(a[1]);
    unsigned char leadB = static_cast<unsigned char>(b[0]), trailB = static_cast<unsigned char>(b[1]);
    double_(leadA, trailA);
    double_(leadB, trailB);
    return leadA == leadB && trailA == trailB;
}

CaseFold CaseFold::CodePage1252() {
    CaseFold fold;
    // š œ ž ÿ, then à..þ except ÷.
    fold.Set(0x9A, 0x8A).Set(0x9C, 0x8C).Set(0x9E, 0x8E).Set(0xFF, 0x9F);
    for (unsigned b = 0xE0; b <= 0xFE; ++b)
        if (b != 0xF7) fold.Set(static_cast<unsigned char>(b), static_cast<unsigned char>(b - 0x20));
    return fold;
}

CaseFold CaseFold::CodePage932() {
    CaseFold fold;
    return fold.SetDouble([](unsigned char& lead, unsigned char& trail) {
        if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A) trail -= 0x21;       // a-z
        else if (lead == 0x83 && trail >= 0xBF && trail <= 0xD6) trail -= 0x20;  // alpha-omega
        else if (lead == 0x84 && trail >= 0x70 && trail <= 0x91 && trail != 0x7F)
            trail -= trail < 0x7F ? 0x30 : 0x31;                                // a-ya, 7F unused
    });
}

bool HasWildcards(const PString& name, const LeadBytes& rule) {
    for (size_t i = 0; i < name.size(); i = rule.Next(name, i)) {
        if (rule.Next(name, i) != i + 1) continue;
        const char c = name[i];
        if (c == '*' || c == '?' || c == '<' || c == '>' || c == '"') return true;
    }
    return false;
}

bool MatchesPattern(const PString& name, const PString& pattern, const LeadBytes& rule,
                    const CaseFold& fold) {
    if (name.empty() || pattern.empty()) return false;
    // The name's characters, and which of them is its last ".".
    std::vector<size_t> starts;
    size_t lastDot = static_cast<size_t>(-1);
    for (size_t i = 0; i < name.size(); i = rule.Next(name, i)) {
        if (name[i] == '.' && rule.Next(name, i) == i + 1) lastDot = starts.size();
        starts.push_back(i);
    }
    const size_t n = starts.size();
    starts.push_back(name.size());
    auto isDot = [&](size_t k) { return k < n && starts[k + 1] == starts[k] + 1 && name[starts[k]] == '.'; };

    // reach[k]: the pattern read so far can end just before the name's k-th character.
    std::vector<char> reach(n + 1, 0), next(n + 1, 0);
    reach[0] = 1;
    for (const Token& t : Tokens(pattern, rule)) {
        next.assign(n + 1, 0);
        bool any = false;
        for (size_t k = 0; k <= n; ++k) {
            if (!reach[k]) continue;
            switch (t.kind) {
                case Kind::kStar:
                    for (size_t j = k; j <= n; ++j) next[j] = 1;
                    break;
                case Kind::kStarToLastDot: {
                    // Never past the last "."; with none (or none ahead) to the end.
                    const size_t limit = lastDot != static_cast<size_t>(-1) && lastDot >= k ? lastDot : n;
                    for (size_t j = k; j <= limit; ++j) next[j] = 1;
                    break;
                }
                case Kind::kOne:
                    if (k < n && !isDot(k)) next[k + 1] = 1;
                    else next[k] = 1;
                    break;
                case Kind::kDot:
                    if (isDot(k)) next[k + 1] = 1;
                    else if (k == n) next[k] = 1;
                    break;
                case Kind::kLiteral: {
                    if (k >= n) break;
                    const size_t length = starts[k + 1] - starts[k];
                    if (length != t.end - t.begin) break;
                    if (fold.Same(name.data() + starts[k], pattern.data() + t.begin, length))
                        next[k + 1] = 1;
                    break;
                }
            }
        }
        reach.swap(next);
        for (char r : reach) any = any || r;
        if (!any) return false;
    }
    return reach[n] != 0;
}

}  // namespace LumoBase
