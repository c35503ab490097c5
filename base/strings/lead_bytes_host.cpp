#include "strings/lead_bytes.h"

namespace LumoBase {

// Paths on the host are UTF-8 or single-byte: no byte ever hides a separator.
const LeadBytes& SystemLeadBytes() {
    static const LeadBytes none;
    return none;
}

}  // namespace LumoBase
