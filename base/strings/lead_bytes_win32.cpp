#include "strings/lead_bytes.h"

#include <windows.h>

namespace LumoBase {
namespace {

LeadBytes FromSystem() {
    LeadBytes rule;
    // Lead bytes are never ASCII.
    for (unsigned b = 0x80; b <= 0xFF; ++b)
        if (IsDBCSLeadByte(static_cast<BYTE>(b))) rule.Add(static_cast<unsigned char>(b), static_cast<unsigned char>(b));
    return rule;
}

}  // namespace

const LeadBytes& SystemLeadBytes() {
    static const LeadBytes rule = FromSystem();
    return rule;
}

}  // namespace LumoBase
