// The administrator check: the group walk driven through a scripted account
// lookup, the walk with the real lookup, and the real token of this process.

#include "system/admin.h"
#include "system/admin_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

using namespace LumoBase;

namespace {

// A real SID, freed when the test ends.
class Sid {
public:
    Sid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD first, DWORD second = 0) {
        AllocateAndInitializeSid(&authority, count, first, second, 0, 0, 0, 0, 0, 0, &sid_);
    }
    ~Sid() {
        if (sid_) FreeSid(sid_);
    }
    Sid(const Sid&) = delete;
    Sid& operator=(const Sid&) = delete;
    PSID get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

Sid* BuiltinAdministrators() {
    static Sid sid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
    return &sid;
}
Sid* BuiltinUsers() {
    static Sid sid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS);
    return &sid;
}
Sid* Everyone() {
    static Sid sid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID);
    return &sid;
}

struct Group {
    PSID sid;
    DWORD attributes;
};

// A TOKEN_GROUPS as GetTokenInformation lays it out, in a buffer of its own.
class GroupBuffer {
public:
    explicit GroupBuffer(const std::vector<Group>& groups)
        : bytes_(offsetof(TOKEN_GROUPS, Groups) + groups.size() * sizeof(SID_AND_ATTRIBUTES) + 1) {
        TOKEN_GROUPS* tg = reinterpret_cast<TOKEN_GROUPS*>(bytes_.data());
        tg->GroupCount = static_cast<DWORD>(groups.size());
        for (size_t i = 0; i < groups.size(); ++i) {
            tg->Groups[i].Sid = groups[i].sid;
            tg->Groups[i].Attributes = groups[i].attributes;
        }
        size_ = static_cast<DWORD>(bytes_.size() - 1);
    }
    const void* data() const { return bytes_.data(); }
    DWORD size() const { return size_; }
    // Bytes that hold the count and the first n entries.
    static DWORD SizeFor(DWORD n) {
        return static_cast<DWORD>(offsetof(TOKEN_GROUPS, Groups) + n * sizeof(SID_AND_ATTRIBUTES));
    }

private:
    std::vector<unsigned char> bytes_;  // DWORD-aligned by the allocator
    DWORD size_;
};

const DWORD kEnabled = SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_MANDATORY;

// The scripted lookup: one answer per call in order, honouring the capacities
// it is given the way LookupAccountSidA does, and recording them.
struct Answer {
    bool mapped;
    std::string name;
    std::string domain;
};

struct LookupCall {
    bool localSystem;
    PSID sid;
    DWORD nameCapacity;
    DWORD domainCapacity;
};

std::vector<Answer> script;
std::vector<LookupCall> calls;

BOOL WINAPI ScriptedLookup(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize,
                           LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) {
    calls.push_back({systemName == nullptr, sid, *nameSize, *domainSize});
    if (calls.size() > script.size()) {
        SetLastError(ERROR_NONE_MAPPED);
        return FALSE;
    }
    const Answer& answer = script[calls.size() - 1];
    if (!answer.mapped) {
        SetLastError(ERROR_NONE_MAPPED);
        return FALSE;
    }
    const DWORD nameNeeded = static_cast<DWORD>(answer.name.size() + 1);
    const DWORD domainNeeded = static_cast<DWORD>(answer.domain.size() + 1);
    if (nameNeeded > *nameSize || domainNeeded > *domainSize) {
        *nameSize = nameNeeded;
        *domainSize = domainNeeded;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(name, answer.name.c_str(), nameNeeded);
    std::memcpy(domain, answer.domain.c_str(), domainNeeded);
    *nameSize = nameNeeded - 1;
    *domainSize = domainNeeded - 1;
    *use = SidTypeAlias;
    return TRUE;
}

bool Walk(const std::vector<Answer>& answers, const char* groupName = "Administrators") {
    script = answers;
    calls.clear();
    std::vector<Group> groups;
    // Distinct real SIDs; the script decides what each resolves to.
    Sid* pool[] = {Everyone(), BuiltinUsers(), BuiltinAdministrators()};
    for (size_t i = 0; i < answers.size(); ++i) groups.push_back({pool[i % 3]->get(), kEnabled});
    GroupBuffer buffer(groups);
    return GroupsHoldBuiltinGroup(buffer.data(), buffer.size(), groupName, ScriptedLookup);
}

}  // namespace

TEST_CASE("the walk with a scripted lookup") {
    SUBCASE("an empty group list is not an administrator") {
        CHECK_FALSE(Walk({}));
        CHECK(calls.empty());
    }
    SUBCASE("the exact account and domain are found, wherever they stand") {
        CHECK(Walk({{true, "Administrators", "BUILTIN"}}));
        CHECK(Walk({{true, "Everyone", ""}, {true, "Users", "BUILTIN"},
                    {true, "Administrators", "BUILTIN"}}));
        CHECK(calls.size() == 3);
    }
    SUBCASE("the walk stops at the first match") {
        CHECK(Walk({{true, "Administrators", "BUILTIN"}, {true, "Users", "BUILTIN"}}));
        CHECK(calls.size() == 1);
    }
    SUBCASE("another domain, another name or another case does not count") {
        CHECK_FALSE(Walk({{true, "Administrators", "MACHINE"}}));
        CHECK_FALSE(Walk({{true, "Administrators", "NT AUTHORITY"}}));
        CHECK_FALSE(Walk({{true, "Administratoren", "BUILTIN"}}));
        CHECK_FALSE(Walk({{true, "administrators", "BUILTIN"}}));
        CHECK_FALSE(Walk({{true, "Administrators", "builtin"}}));
        CHECK_FALSE(Walk({{true, "Administrators ", "BUILTIN"}}));
        CHECK_FALSE(Walk({{true, "Users", "BUILTIN"}}));
        CHECK(Walk({{true, "Users", "BUILTIN"}}, "Users"));
        CHECK_FALSE(Walk({{true, "Administrators", "BUILTIN"}}, "administrators"));
        CHECK_FALSE(Walk({{true, "Administrators", "BUILTIN"}}, ""));
    }
    SUBCASE("a failed lookup only skips its group") {
        CHECK(Walk({{false, "", ""}, {true, "Administrators", "BUILTIN"}}));
        CHECK(calls.size() == 2);
        CHECK_FALSE(Walk({{true, "Users", "BUILTIN"}, {false, "", ""}, {false, "", ""}}));
        CHECK(calls.size() == 3);
    }
    SUBCASE("names that do not fit 260 characters fail to resolve and are skipped") {
        const std::string long_name(260, 'A');
        CHECK_FALSE(Walk({{true, long_name, "BUILTIN"}}, long_name.c_str()));
        CHECK_FALSE(Walk({{true, "Administrators", std::string(260, 'B')}}));
        const std::string longest(259, 'A');
        CHECK(Walk({{true, longest, "BUILTIN"}}, longest.c_str()));
        CHECK(Walk({{true, long_name, std::string(300, 'D')}, {true, "Administrators", "BUILTIN"}}));
    }
    SUBCASE("every lookup gets both capacities at 260 and the local system") {
        // The scripted lookup shrinks them on success and grows them on failure.
        CHECK_FALSE(Walk({{true, "Everyone", ""}, {true, std::string(400, 'x'), "D"},
                          {false, "", ""}, {true, "None", "MACHINE"}}));
        REQUIRE(calls.size() == 4);
        for (const LookupCall& call : calls) {
            CHECK(call.localSystem);
            CHECK(call.nameCapacity == 260);
            CHECK(call.domainCapacity == 260);
        }
    }
}

TEST_CASE("the walk looks the groups up in the token's order") {
    script.clear();
    calls.clear();
    GroupBuffer buffer({{Everyone()->get(), kEnabled},
                        {BuiltinUsers()->get(), kEnabled},
                        {BuiltinAdministrators()->get(), kEnabled}});
    CHECK_FALSE(GroupsHoldBuiltinGroup(buffer.data(), buffer.size(), "Administrators",
                                       ScriptedLookup));
    REQUIRE(calls.size() == 3);
    CHECK(calls[0].sid == Everyone()->get());
    CHECK(calls[1].sid == BuiltinUsers()->get());
    CHECK(calls[2].sid == BuiltinAdministrators()->get());
}

TEST_CASE("the group count is trusted only within the buffer") {
    GroupBuffer buffer({{Everyone()->get(), kEnabled},
                        {BuiltinUsers()->get(), kEnabled},
                        {BuiltinAdministrators()->get(), kEnabled}});
    SUBCASE("a count beyond the buffer stops the walk at its end") {
        // The buffer as given ends after two entries, though its count says three.
        calls.clear();
        script.clear();
        CHECK_FALSE(GroupsHoldBuiltinGroup(buffer.data(), GroupBuffer::SizeFor(2),
                                           "Administrators", ScriptedLookup));
        CHECK(calls.size() == 2);
        CHECK_FALSE(GroupsHoldBuiltinGroup(buffer.data(), GroupBuffer::SizeFor(3) - 1,
                                           "Administrators"));
        CHECK(GroupsHoldBuiltinGroup(buffer.data(), GroupBuffer::SizeFor(3), "Administrators"));
    }
    SUBCASE("a buffer too small for the count itself holds no group") {
        calls.clear();
        CHECK_FALSE(GroupsHoldBuiltinGroup(buffer.data(), 0, "Users", ScriptedLookup));
        CHECK_FALSE(GroupsHoldBuiltinGroup(buffer.data(), sizeof(DWORD) - 1, "Users",
                                           ScriptedLookup));
        CHECK(calls.empty());
        CHECK_FALSE(GroupsHoldBuiltinGroup(nullptr, 100, "Users", ScriptedLookup));
        CHECK_FALSE(GroupsHoldBuiltinGroup(buffer.data(), buffer.size(), nullptr, ScriptedLookup));
        CHECK(calls.empty());
    }
}

TEST_CASE("the walk with the real lookup resolves well-known groups") {
    REQUIRE(BuiltinAdministrators()->get());
    GroupBuffer plain({{Everyone()->get(), kEnabled}, {BuiltinUsers()->get(), kEnabled}});
    CHECK_FALSE(GroupsHoldBuiltinGroup(plain.data(), plain.size(), "Administrators"));
    CHECK(GroupsHoldBuiltinGroup(plain.data(), plain.size(), "Users"));
    CHECK_FALSE(GroupsHoldBuiltinGroup(plain.data(), plain.size(), "Everyone"));  // no domain

    SUBCASE("attributes are not examined") {
        for (DWORD attributes : {DWORD(SE_GROUP_USE_FOR_DENY_ONLY), DWORD(0), kEnabled}) {
            CAPTURE(attributes);
            GroupBuffer admin({{Everyone()->get(), kEnabled},
                               {BuiltinAdministrators()->get(), attributes}});
            CHECK(GroupsHoldBuiltinGroup(admin.data(), admin.size(), "Administrators"));
            CHECK_FALSE(GroupsHoldBuiltinGroup(admin.data(), admin.size(), "administrators"));
        }
    }
}

TEST_CASE("the token of this process under Wine, an administrator's") {
    CHECK(IsAdministrator());
    CHECK(IsInBuiltinGroup("Administrators"));
    CHECK(IsInBuiltinGroup("Users"));
    CHECK_FALSE(IsInBuiltinGroup("administrators"));
    CHECK_FALSE(IsInBuiltinGroup("ADMINISTRATORS"));
    CHECK_FALSE(IsInBuiltinGroup("No Such Group"));
    CHECK_FALSE(IsInBuiltinGroup("Everyone"));
    CHECK_FALSE(IsInBuiltinGroup(""));
    CHECK_FALSE(IsInBuiltinGroup(nullptr));
}

TEST_CASE("localised editions: the administrator check goes by the group's identifier") {
    // What the account lookup answers for S-1-5-32-544 on each edition.
    const Answer editions[] = {{true, "Administrators", "BUILTIN"},
                               {true, "Administratoren", "VORDEFINIERT"},
                               {true, "Administrateurs", "BUILTIN"},
                               {true, "Administradores", "BUILTIN"},
                               {true, "Administratorer", "BUILTIN"},
                               {true, "\x8A\xC7\x97\x9D\x8E\xD2", "BUILTIN"}};  // code page 932
    for (const Answer& edition : editions) {
        CAPTURE(edition.name);
        for (DWORD attributes : {kEnabled, DWORD(SE_GROUP_USE_FOR_DENY_ONLY), DWORD(0)}) {
            GroupBuffer buffer({{Everyone()->get(), kEnabled},
                                {BuiltinAdministrators()->get(), attributes}});
            script = {{true, "Everyone", ""}, edition};
            calls.clear();
            // The name-based walk keeps its contract: only the English names count.
            CHECK(GroupsHoldBuiltinGroup(buffer.data(), buffer.size(), "Administrators",
                                         ScriptedLookup) == (edition.name == "Administrators"));
            CHECK(GroupsHoldBuiltinAdministrators(buffer.data(), buffer.size()));
        }
    }
    SUBCASE("a group merely called Administrators in BUILTIN is not the group") {
        GroupBuffer users({{Everyone()->get(), kEnabled}, {BuiltinUsers()->get(), kEnabled}});
        script = {{true, "Everyone", ""}, {true, "Administrators", "BUILTIN"}};
        calls.clear();
        CHECK(GroupsHoldBuiltinGroup(users.data(), users.size(), "Administrators", ScriptedLookup));
        CHECK_FALSE(GroupsHoldBuiltinAdministrators(users.data(), users.size()));
    }
    SUBCASE("the identifier is read only as far as its own count goes") {
        Sid shortSid(SECURITY_NT_AUTHORITY, 1, SECURITY_BUILTIN_DOMAIN_RID);
        Sid otherAuthority(SECURITY_WORLD_SID_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID,
                           DOMAIN_ALIAS_RID_ADMINS);
        CHECK_FALSE(IsBuiltinAdministratorsSid(shortSid.get()));
        CHECK_FALSE(IsBuiltinAdministratorsSid(otherAuthority.get()));
        CHECK_FALSE(IsBuiltinAdministratorsSid(nullptr));
        CHECK(IsBuiltinAdministratorsSid(BuiltinAdministrators()->get()));
    }
    SUBCASE("the group count is trusted only within the buffer") {
        GroupBuffer buffer({{Everyone()->get(), kEnabled}, {BuiltinAdministrators()->get(), kEnabled}});
        CHECK_FALSE(GroupsHoldBuiltinAdministrators(buffer.data(), GroupBuffer::SizeFor(1)));
        CHECK(GroupsHoldBuiltinAdministrators(buffer.data(), GroupBuffer::SizeFor(2)));
        CHECK_FALSE(GroupsHoldBuiltinAdministrators(nullptr, 100));
        CHECK_FALSE(GroupsHoldBuiltinAdministrators(buffer.data(), 0));
    }
}
