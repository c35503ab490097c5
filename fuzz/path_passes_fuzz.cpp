// The path passes and containment. Input: one byte choosing the lead-byte rule
// (odd: code page 932, even: a single-byte code page), a directory, a zero byte,
// a name. Properties: a join leaves no doubled separator and no inner "."; a ".."
// stays only right after the first component; a network root stays whole; no
// double-byte character is cut apart; the join lies below the directory when the
// name does not climb; a pattern comes apart at a whole separator; a name matches
// itself, "*" and "*.*", and its case (full-width letters' too) never changes
// whether it matches a pattern.
#include "files/name_pattern.h"
#include "files/path_containment.h"
#include "files/path_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace LumoBase;

namespace {

std::vector<std::string> Components(const std::string& path, const LeadBytes& rule) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); i = rule.Next(path, i)) {
        if (path[i] == '\\') {
            parts.emplace_back();
        } else {
            parts.back().append(path, i, rule.Next(path, i) - i);
        }
    }
    return parts;
}

// Every double-byte character of text, in order.
std::string Pairs(const std::string& text, const LeadBytes& rule) {
    std::string pairs;
    for (size_t i = 0; i < text.size(); i = rule.Next(text, i))
        if (rule.Next(text, i) == i + 2) pairs.append(text, i, 2);
    return pairs;
}

// The full-width letters of code page 932 in upper case, as the system folds them.
void FullWidthUpper(unsigned char lead, unsigned char& trail) {
    if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A) trail = static_cast<unsigned char>(trail - 0x21);
    if (lead == 0x83 && trail >= 0xBF && trail <= 0xD6) trail = static_cast<unsigned char>(trail - 0x20);
    if (lead == 0x84 && trail >= 0x70 && trail <= 0x91 && trail != 0x7F)
        trail = static_cast<unsigned char>(trail - (trail < 0x7F ? 0x30 : 0x31));
}

bool EndsInLoneLead(const std::string& text, const LeadBytes& rule) {
    size_t i = 0, last = 0;
    for (; i < text.size(); i = rule.Next(text, i)) last = i;
    return !text.empty() && last == text.size() - 1 &&
           rule.IsLead(static_cast<unsigned char>(text[last]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const LeadBytes rule = (data[0] & 1) ? LeadBytes::CodePage932() : LeadBytes();
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = input.find('\0');
    if (split == std::string::npos) return 0;
    const std::string directory = input.substr(0, split);
    const std::string name = input.substr(split + 1);
    if (name.find('\0') != std::string::npos) return 0;
    // A lead byte with nothing after it is no text of the code page: the separator
    // a join puts after it would become its second byte, as the platform reads it.
    if (EndsInLoneLead(directory, rule)) return 0;

    const PString joined = JoinComponent(PString(directory), name.c_str(), rule);
    const size_t root = NetworkRootLength(PString(directory), rule);
    if (joined.compare(0, root, directory, 0, root) != 0) std::abort();
    const std::string rest = joined.substr(root);
    const std::vector<std::string> parts = Components(rest, rule);
    // An inner ".." stays only where nothing but the first component precedes it,
    // and then the pass ends there.
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
        if (parts[i].empty() || parts[i] == ".") std::abort();
        if (parts[i] == "..") {
            if (i != 1) std::abort();
            break;
        }
    }
    // The passes leave nothing for a second round.
    PString again(rest);
    CollapseDoubleSeparators(again, rule);
    RemoveDotSegments(again, rule);
    ResolveParentSegments(again, rule);
    if (again != PString(rest)) std::abort();

    // No double-byte character is cut apart: the join's characters are the
    // directory's and the name's.
    std::string slashed = name;
    size_t lead = 0;
    while (lead < slashed.size() && slashed[lead] == '/') ++lead;
    slashed = ToBackslashes(PString(slashed.substr(lead)), rule);
    const std::string given = Pairs(directory, rule) + Pairs(slashed, rule);
    const std::string kept = Pairs(joined, rule);
    for (size_t i = 0; i + 1 < kept.size(); i += 2)
        if (given.find(kept.substr(i, 2)) == std::string::npos) std::abort();

    // A name that does not climb stays below the directory.
    bool climbs = false;
    for (const std::string& part : Components(slashed, rule)) climbs = climbs || part == "..";
    const PString base = JoinComponent(PString(directory), "", rule);
    // (A base that is only "\" names no directory to be inside of.)
    if (!climbs && base != PString("\\") && !IsSameOrInside(joined, base, rule)) {
        // Only a directory whose own ".." stayed unresolved may fall outside.
        bool stayed = false;
        for (const std::string& part : Components(base, rule)) stayed = stayed || part == "..";
        if (!stayed) std::abort();
    }

    // A pattern comes apart at a whole separator, into its directory and name.
    PString patternDirectory, patternName;
    SplitPattern(PString(directory), patternDirectory, patternName, rule);
    const std::string d = patternDirectory;
    // A leading "/" roots the pattern as "\\" does.
    std::string rooted = directory;
    if (!rooted.empty() && rooted[0] == '/') rooted[0] = '\\';
    const bool whole = d + std::string(patternName) == rooted ||
                       d + "\\" + std::string(patternName) == rooted ||
                       (!d.empty() && d.substr(0, d.size() - 1) + "\\" + std::string(patternName) == rooted);
    if (!whole || !rule.IsBoundary(directory, directory.size() - patternName.size())) std::abort();

    // A name read from a listing against a pattern: a name without wildcards
    // matches itself, "*" and "*.*" match every name, and case never matters.
    const PString entry(name), asPattern(directory);
    // The double-byte fold too where the code page has one.
    const CaseFold fold = rule.Any() ? CaseFold::CodePage932() : CaseFold();
    if (!entry.empty() && !HasWildcards(entry, rule)) {
        if (!MatchesPattern(entry, entry, rule, fold)) std::abort();
        if (!MatchesPattern(entry, PString("*"), rule, fold)) std::abort();
        if (!MatchesPattern(entry, PString("*.*"), rule, fold)) std::abort();
        std::string upper = name;
        for (size_t i = 0; i < upper.size(); i = rule.Next(upper, i)) {
            if (rule.Next(upper, i) == i + 1) {
                upper[i] = static_cast<char>(fold.Upper(static_cast<unsigned char>(upper[i])));
            } else if (rule.Any()) {
                const unsigned char lead = static_cast<unsigned char>(upper[i]);
                unsigned char trail = static_cast<unsigned char>(upper[i + 1]);
                FullWidthUpper(lead, trail);
                upper[i + 1] = static_cast<char>(trail);
            }
        }
        if (MatchesPattern(entry, asPattern, rule, fold) !=
            MatchesPattern(PString(upper), asPattern, rule, fold))
            std::abort();
    }
    return 0;
}
