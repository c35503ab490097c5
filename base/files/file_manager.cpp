#include "files/file_manager.h"

namespace LumoBase {

FileManager::~FileManager() {}

bool FileManager::DirectoryExists(const AFileSpec& spec) {
    return spec.IsDirectory() && spec.Exists();
}

bool FileManager::FileExists(const AFileSpec& spec) {
    return spec.Exists() && !spec.IsDirectory();
}

}  // namespace LumoBase
