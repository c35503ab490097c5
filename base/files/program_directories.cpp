#include "files/program_directories.h"

#include <string>

namespace LumoBase {

PString ProbeFileName(std::uint32_t threadId, std::uint32_t tickCount) {
    // std::to_string of an unsigned long long never adds a sign, padding or a
    // locale's grouping, whatever width the platform gives unsigned long.
    PString name("tlumo_");
    name.append(std::to_string(static_cast<unsigned long long>(threadId)));
    name.append("_");
    name.append(std::to_string(static_cast<unsigned long long>(tickCount)));
    name.append(".tmp");
    return name;
}

}  // namespace LumoBase
