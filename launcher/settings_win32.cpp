#include "settings.h"

#include <windows.h>

#include <memory>

namespace Tarnbolt {
namespace {

std::string ReadSetting(const char* section, const char* key, const std::string& file,
                        char* buffer, unsigned long size) {
    buffer[0] = '\0';
    GetPrivateProfileStringA(section, key, "", buffer, size, file.c_str());
    buffer[size - 1] = '\0';
    return buffer;
}

}  // namespace

void ReadSettings(const std::string& file, Settings& settings, unsigned long bufferSize) {
    settings = Settings();
    if (bufferSize < 2) return;
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    char* b = buffer.get();
    settings.adminMessage = ReadSetting("Administrator", "AdminMessage", file, b, bufferSize);
    settings.adminMessageTitle =
        ReadSetting("Administrator", "AdminMessageTitle", file, b, bufferSize);
    settings.run = ReadSetting("General", "Run", file, b, bufferSize);
    settings.message = ReadSetting("General", "Message", file, b, bufferSize);
    settings.caption = ReadSetting("General", "Caption", file, b, bufferSize);
    settings.preferredVersion = ReadSetting("General", "PreferredVersion", file, b, bufferSize);
}

}  // namespace Tarnbolt
