// Registry reading against the prefix's own keys and against values this test
// stores under HKCU\Software\TarnboltTests, of every length and type the readers
// may meet.

#include "system/registry.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using namespace LumoBase;

namespace {

const char kCurrentVersion[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char kTestKey[] = "Software\\TarnboltTests\\Registry";

std::string Text(const PString& s) { return s; }

// The test's key, filled with values of the test's choosing and removed again.
class TestKey {
public:
    TestKey() {
        RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr);
    }
    ~TestKey() {
        if (key_) RegCloseKey(key_);
        RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TarnboltTests");  // fails while others use it
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    HKEY get() const { return key_; }
    void Set(const char* name, DWORD type, const void* data, DWORD size) {
        REQUIRE(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size) ==
                ERROR_SUCCESS);
    }
    // Text stored with its terminator, as programs normally store it.
    void SetText(const char* name, const std::string& text) {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

TEST_CASE("keys and values of the prefix are found, missing ones are not") {
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, kCurrentVersion));
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software"));
    CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\Tarnbolt No Such Key"));
    CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\Nope\\X"));

    CHECK(RegistryValueExists(HKEY_LOCAL_MACHINE, kCurrentVersion, "CurrentVersion"));
    CHECK(RegistryValueExists(HKEY_LOCAL_MACHINE, kCurrentVersion, "currentversion"));
    CHECK_FALSE(RegistryValueExists(HKEY_LOCAL_MACHINE, kCurrentVersion, "Tarnbolt No Such Value"));
    CHECK_FALSE(RegistryValueExists(HKEY_LOCAL_MACHINE, "Software\\Tarnbolt No Such Key",
                                    "CurrentVersion"));

    HKEY key = nullptr;
    REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_READ, &key) == ERROR_SUCCESS);
    CHECK(RegistryValueExists(key, "CurrentVersion"));
    CHECK_FALSE(RegistryValueExists(key, "Tarnbolt No Such Value"));
    RegCloseKey(key);
}

TEST_CASE("reading the prefix's version text") {
    PString version;
    CHECK(ReadRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CurrentVersion", version));
    CHECK(Text(version) == "6.1");  // the test prefix is Windows 7

    // A missing key leaves the result as it was; a missing value empties it.
    PString kept("kept");
    CHECK_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, "Software\\Tarnbolt No Such Key",
                                   "CurrentVersion", kept));
    CHECK(Text(kept) == "kept");
    CHECK_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, "Tarnbolt No Such Value",
                                   kept));
    CHECK(Text(kept).empty());
}

TEST_CASE("reading text of every length around the local buffer") {
    TestKey key;
    REQUIRE(key.get());
    PString result("stale");

    key.SetText("empty", "");
    CHECK(ReadRegistryString(key.get(), "empty", result));
    CHECK(Text(result).empty());

    // 258 characters and the terminator fill the 259 bytes offered; one more
    // character takes the second query.
    for (size_t length : {1u, 258u, 259u, 300u, 5000u}) {
        CAPTURE(length);
        std::string text(length, 'x');
        text[0] = 'a';
        text[length - 1] = 'z';
        key.SetText("text", text);
        result = PString("stale");
        CHECK(ReadRegistryString(key.get(), "text", result));
        CHECK(Text(result) == text);
        result = PString("stale");
        CHECK(ReadRegistryString(HKEY_CURRENT_USER, kTestKey, "text", result));
        CHECK(Text(result) == text);
    }
    CHECK(RegistryValueExists(HKEY_CURRENT_USER, kTestKey, "text"));
    CHECK(RegistryValueExists(key.get(), "empty"));
}

TEST_CASE("data without a terminator is read no further than it goes") {
    TestKey key;
    REQUIRE(key.get());
    PString result;

    // Binary data of 'A's with no zero anywhere: short, exactly the bytes
    // offered, one more, and well past the local buffer.
    for (size_t length : {10u, 259u, 260u, 300u, 4096u}) {
        CAPTURE(length);
        const std::string bytes(length, 'A');
        key.Set("binary", REG_BINARY, bytes.data(), static_cast<DWORD>(length));
        result = PString("stale");
        CHECK(ReadRegistryString(key.get(), "binary", result));
        CHECK(Text(result) == bytes);
    }

    // Text stored without its terminator, past the local buffer.
    const std::string unterminated(400, 'B');
    key.Set("unterminated", REG_SZ, unterminated.data(), static_cast<DWORD>(unterminated.size()));
    CHECK(ReadRegistryString(key.get(), "unterminated", result));
    CHECK(Text(result) == unterminated);

    // Data holding a zero is text up to the zero.
    const char withZero[] = {'o', 'n', 'e', '\0', 't', 'w', 'o'};
    key.Set("zero", REG_BINARY, withZero, sizeof withZero);
    CHECK(ReadRegistryString(key.get(), "zero", result));
    CHECK(Text(result) == "one");

    // No data at all.
    key.Set("nothing", REG_BINARY, "", 0);
    result = PString("stale");
    CHECK(ReadRegistryString(key.get(), "nothing", result));
    CHECK(Text(result).empty());
}

TEST_CASE("a number is read as the text of its bytes") {
    TestKey key;
    REQUIRE(key.get());
    PString result;

    // Four non-zero bytes: nothing terminates them but the buffer.
    const DWORD letters = 0x44434241;  // "ABCD" in memory order
    key.Set("dword", REG_DWORD, &letters, sizeof letters);
    CHECK(ReadRegistryString(key.get(), "dword", result));
    CHECK(Text(result) == "ABCD");

    const DWORD small = 7;
    key.Set("seven", REG_DWORD, &small, sizeof small);
    CHECK(ReadRegistryString(key.get(), "seven", result));
    CHECK(Text(result) == "\x07");
}
