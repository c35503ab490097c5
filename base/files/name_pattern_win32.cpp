#include "files/name_pattern.h"

#include <windows.h>

namespace LumoBase {
namespace {

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
    return fold;
}

}  // namespace

const CaseFold& SystemCaseFold() {
    static const CaseFold fold = FromSystem();
    return fold;
}

}  // namespace LumoBase
