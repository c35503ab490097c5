#include "check.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <set>

using namespace Tarnbolt;

namespace {

CheckInput Input(const std::string& run, const std::string& preferred = "6.1.8637.0") {
    CheckInput input;
    input.launcherPath = "C:\\Pkg\\setup.exe";
    input.settingsPath = "C:\\Pkg\\setup.ini";
    input.folder = "C:\\Pkg\\App";
    input.settingsExist = true;
    input.seen = Settings{"Please log on as administrator.", "Setup", run, "Restart now.", "Setup",
                          preferred};
    input.whole = input.seen;
    input.fileExists = [](const std::string& path) {
        return path == "C:\\Pkg\\App\\app.exe" || path == "C:\\Pkg\\App\\my app.exe";
    };
    return input;
}

std::set<std::string> Codes(const CheckInput& input) {
    std::vector<Finding> findings;
    CheckSettings(input, findings);
    std::set<std::string> codes;
    for (const Finding& f : findings) codes.insert(f.code);
    return codes;
}

}  // namespace

TEST_CASE("Run values: what the launcher will make of them") {
    const struct {
        const char* run;
        std::set<std::string> codes;
    } cases[] = {
        {"app.exe", {}},
        {"app.exe -q", {}},
        {"app.exe /q", {"run-switch-slash"}},
        {"/app.exe", {}},                          // leading slashes are skipped
        {"\"app.exe\" -q", {"run-quoted"}},
        {"C:\\Other\\app.exe", {"run-absolute", "run-missing"}},
        {"\\app.exe", {"run-absolute"}},            // joined below the folder all the same
        {"..\\App\\app.exe", {}},
        {"..\\..\\..\\app.exe", {"run-climbs", "run-missing"}},
        {"bin\\missing.exe", {"run-missing"}},
        {"my app.exe", {"run-missing"}},           // the name ends at the blank
        {"app.exe\tx\\..\\..\\other.exe", {}},  // and at a tab: the rest is an argument
        {"\"my app.exe -q", {"run-unclosed-quote"}},
        {"", {"run-empty"}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.run);
        CHECK(Codes(Input(c.run)) == c.codes);
    }
}

TEST_CASE("a name with a blank that lost its quotes is named in the report") {
    std::vector<Finding> findings;
    CheckSettings(Input("my app.exe"), findings);
    REQUIRE(findings.size() == 1);
    CHECK(findings[0].message.find("Run=\"\"my app.exe\"\"") != std::string::npos);
}

TEST_CASE("cut values and empty box texts") {
    CheckInput input = Input("app.exe");
    input.whole.run = input.seen.run + std::string(600, 'x');
    input.whole.caption = std::string(700, 'c');
    input.seen.adminMessage.clear();
    input.seen.message.clear();
    input.whole.adminMessage.clear();
    input.whole.message.clear();
    std::vector<Finding> findings;
    CheckSettings(input, findings);
    std::multiset<std::string> codes;
    for (const Finding& f : findings) codes.insert(f.code);
    CHECK(codes.count("run-cut") == 1);
    CHECK(codes.count("value-cut") == 1);
    CHECK(codes.count("box-text-empty") == 2);
}

TEST_CASE("PreferredVersion: malformed texts are reported with what the launcher reads") {
    const struct {
        const char* text;
        const char* code;   // nullptr: clean
        const char* reads;
    } cases[] = {
        {"6.1.8637.0", nullptr, nullptr},
        {"6.1", nullptr, nullptr},
        {"", "preferred-empty", nullptr},
        {"6", "preferred-malformed", "0.0.0.0"},
        {"6.x.1.0", "preferred-malformed", "6.0.1.0"},
        {"6.70000.0.0", "preferred-malformed", "7.4464.0.0"},  // spills into the major part
        {"6.-1.0.0", "preferred-malformed", "65535.65535.0.0"},
        {"6.1.0.0.9", "preferred-malformed", "6.1.0.0"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text);
        std::vector<Finding> findings;
        CheckSettings(Input("app.exe", c.text), findings);
        auto found = std::find_if(findings.begin(), findings.end(), [](const Finding& f) {
            return f.code.compare(0, 10, "preferred-") == 0;
        });
        if (!c.code) {
            CHECK(found == findings.end());
            continue;
        }
        REQUIRE(found != findings.end());
        CHECK(found->code == c.code);
        CHECK(found->severity == Severity::kWarning);
        if (c.reads) CHECK(found->message.find(std::string("reads it as ") + c.reads) != std::string::npos);
    }
}

TEST_CASE("no settings file, a file that is no program, and the exit codes") {
    CheckInput input = Input("app.exe");
    input.settingsExist = false;
    CHECK(Codes(input) == std::set<std::string>{"settings-missing"});

    input.launcher.assign(100, 'M');
    const CheckReport report = CheckLauncher(input);
    REQUIRE(report.findings.size() == 1);
    CHECK(report.findings[0].code == "launcher-unreadable");
    CHECK(report.ExitCode() == 2);

    CheckReport warnings;
    warnings.findings.push_back(Finding{Severity::kWarning, "run-quoted", ""});
    CHECK(warnings.ExitCode() == 1);
    CHECK(CheckReport().ExitCode() == 0);
}

TEST_CASE("the JSON report escapes what it quotes") {
    CheckInput input = Input("app.exe");
    input.launcherPath = "C:\\a \"b\"\\caf\xe9.exe";
    input.folder = "C:\\\x01";
    const std::string json = FormatJson(input, CheckReport());
    CHECK(json.find("\"launcher\":\"C:\\\\a \\\"b\\\"\\\\caf\xe9.exe\"") != std::string::npos);
    CHECK(json.find("\"folder\":\"C:\\\\\\u0001\"") != std::string::npos);
    CHECK(json.find("\"exit\":0") != std::string::npos);
    CHECK(json.find("\"launcherVersion\":null,") != std::string::npos);
}

TEST_CASE("code page 932: a trail byte 0x5C is no separator in the folder or in Run") {
    // ソフト and 表: 83 5C 83 74 83 67 and 95 5C.
    CheckInput input = Input("..\\..\\..\\app.exe");
    input.folder = "C:\\\x83\x5c\x83\x74\x83\x67";
    input.pathRule = input.runRule = LumoBase::LeadBytes::CodePage932();
    CHECK(Codes(input).count("run-climbs") == 1);
    input.seen.run = input.whole.run = "..\\app.exe";
    CHECK(Codes(input).count("run-climbs") == 0);
    // One folder down, then two up: past the root.
    input.seen.run = input.whole.run = "\x95\x5c\\..\\..\\..\\app.exe";
    CHECK(Codes(input).count("run-climbs") == 1);
    input.seen.run = input.whole.run = "\x95\x5c\\..\\..\\app.exe";
    CHECK(Codes(input).count("run-climbs") == 0);
}

TEST_CASE("a settings file in UTF-16 is an error") {
    CheckInput input = Input("app.exe");
    input.settingsUtf16 = true;
    std::vector<Finding> findings;
    CheckSettings(input, findings);
    REQUIRE(findings.size() == 1);
    CHECK(findings[0].code == "settings-utf16");
    CHECK(findings[0].severity == Severity::kError);
    CHECK(findings[0].message.find("Windows 95, 98 and Me") != std::string::npos);
}
