#pragma once
// The settings file read without the platform: answers what the profile reader
// of a Windows system in code page 1252 answers for a file's bytes. Sections and
// keys are found without regard to case, the first section of a name is the only
// one searched and its first key of the name wins; blanks around names and values
// fall away, one pair of quotes around a whole value too; a value ends at a NUL;
// a line without "=" is a key without a value (so comment lines match nothing).
// A file that starts with a byte-order mark is UTF-16 (either order) or UTF-8,
// and its text comes back in code page 1252, "?" for what that cannot hold.

#include "settings.h"

#include <string>
#include <vector>

namespace Tarnbolt {

class ProfileText {
public:
    explicit ProfileText(const std::string& bytes);

    // The value of `key` in `section` (both ASCII), cut to bufferSize - 1
    // characters; "" when the section, the key or its value is missing, or when
    // bufferSize is below 2.
    std::string Value(const std::string& section, const std::string& key,
                      unsigned long bufferSize = kSettingBufferSize) const;

private:
    struct Key {
        std::u16string name, value;
        bool hasValue;
    };
    struct Section {
        std::u16string name;
        std::vector<Key> keys;
    };
    std::vector<Section> sections_;  // the first holds the keys before any header
};

// The character a byte of code page 1252 stands for.
char16_t FromCodePage1252(unsigned char c);

// The length of the UTF-8 character at bytes[i], or 0 where none begins.
size_t Utf8Length(const std::string& bytes, size_t i);

// ReadSettings on a file's bytes: the six values in the launcher's order.
void ReadSettingsText(const std::string& bytes, Settings& settings,
                      unsigned long bufferSize = kSettingBufferSize);

}  // namespace Tarnbolt
