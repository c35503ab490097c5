#pragma once
// Reading the registry with narrow texts.

#include "strings/pstring.h"

#include <windows.h>

#include <string>

namespace LumoBase {

bool RegistryKeyExists(HKEY root, const char* subkey);
bool RegistryValueExists(HKEY key, const char* value);
bool RegistryValueExists(HKEY root, const char* subkey, const char* value);
// The value's data taken as text, whatever its type; empty and false on failure.
bool ReadRegistryString(HKEY key, const char* value, PString& result);
bool ReadRegistryString(HKEY root, const char* subkey, const char* value, PString& result);
// The value's data whole, every byte (a multi-string keeps its NUL separators);
// empty and false on failure.
bool ReadRegistryData(HKEY root, const char* subkey, const char* value, std::string& data);

}  // namespace LumoBase
