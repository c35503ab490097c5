#include "files/name_pattern.h"

#include <windows.h>

namespace LumoBase {
namespace {

// As the system folds the character: converted to UTF-16, folded, and back. A
// character whose upper case has no double-byte form stays as it is.
void UpperDouble(unsigned char& lead, unsigned char& trail) {
    char c[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    if (CharUpperBuffA(c, 2) != 2 || !SystemLeadBytes().IsLead(static_cast<unsigned char>(c[0])))
        return;
    lead = static_cast<unsigned char>(c[0]);
    trail = static_cast<unsigned char>(c[1]);
}

CaseFold FromSystem() {
    CaseFold fold;
    const LeadBytes& rule = SystemLeadBytes();
    // A lead byte is never a character by itself.
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        if (rule.IsLead(static_cast<unsigned char>(b))) continue;
        char c = static_cast<char>(b);
        CharUpperBuffA(&c, 1);
        fold.Set(static_cast<unsigned char>(b), static_cast<unsigned char>(c));
    }
    return fold.SetDouble(&UpperDouble);
}

}  // namespace

const CaseFold& SystemCaseFold() {
    static const CaseFold fold = FromSystem();
    return fold;
}

}  // namespace LumoBase
