// The packager's PE reading and stamping on any bytes. Properties: no read outside
// the input (the sanitizers watch); when stamping succeeds its output is an image
// whose stamped resources read back exactly, and a second stamp keeps the first;
// in an image aligned below the page size the new section lies in the file at its
// address.

#include "pe_image.h"
#include "pe_layout.h"
#include "pe_stamp.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace Tarnbolt;

namespace {

bool Holds(const std::vector<unsigned char>& image, const StampItem& item) {
    size_t offset = 0, length = 0;
    return FindPeResource(image.data(), image.size(), "DLL", item.id, offset, length) &&
           length == item.bytes.size() &&
           std::equal(item.bytes.begin(), item.bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PeInfo info;
    const bool isImage = ReadPeInfo(data, size, info);
    size_t offset = 0, length = 0;
    if (FindPeResource(data, size, "dll", 103, offset, length) &&
        (offset > size || length > size - offset))
        std::abort();

    const std::vector<unsigned char> image(data, data + size);
    // Odd sizes keep the alignment of the blobs honest.
    const std::vector<StampItem> items = {{103, {'M', 'Z', 1}}, {107, std::vector<unsigned char>(13, 7)}};
    std::vector<unsigned char> out;
    if (!StampResources(image, "DLL", items, out)) return 0;
    PeInfo stamped;
    if (!isImage || !ReadPeInfo(out.data(), out.size(), stamped) || stamped.machine != info.machine ||
        stamped.pe32Plus != info.pe32Plus)
        std::abort();
    for (const StampItem& item : items)
        if (!Holds(out, item)) std::abort();
    PeLayout::Headers headers;
    if (!PeLayout::ReadHeaders(PeLayout::Bytes(out.data(), out.size()), headers) || headers.sections.empty())
        std::abort();
    const PeLayout::Section& added = headers.sections.back();
    if (headers.sectionAlignment < 0x1000 && added.rawOffset != added.virtualAddress) std::abort();
    std::vector<unsigned char> again;
    const StampItem next = {104, {4}};
    if (StampResources(out, "DLL", {next}, again) && (!Holds(again, items[0]) || !Holds(again, next)))
        std::abort();
    return 0;
}
