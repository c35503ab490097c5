#include "files/name_pattern.h"

namespace LumoBase {

// The host has no ANSI code page of its own: ASCII letters only.
const CaseFold& SystemCaseFold() {
    static const CaseFold fold;
    return fold;
}

}  // namespace LumoBase
