#include "modules/module_handle.h"
#include "modules/module_info.h"
#include "modules/win32au_module_handle.h"

#include "vtable_slot.h"

#include <doctest/doctest.h>

using namespace LumoBase;
using TarnboltTest::Slot;

TEST_CASE("module handles keep their slot order") {
    using M = ModuleHandle;
    CHECK(Slot(&M::IsValid) == 1);
    CHECK(Slot(&M::Assign) == 2);
    CHECK(Slot(&M::Equals) == 3);

    using W = WIN32AU_ModuleHandle;
    CHECK(Slot(static_cast<ModuleHandle& (W::*)(const ModuleHandle&)>(&W::Assign)) == 2);
    CHECK(Slot(static_cast<bool (W::*)(const ModuleHandle&) const>(&W::Equals)) == 3);
    CHECK(Slot(static_cast<W& (W::*)(const W&)>(&W::Assign)) == 4);
    CHECK(Slot(static_cast<bool (W::*)(const W&) const>(&W::Equals)) == 5);
    CHECK(Slot(&W::SetHandle) == 6);
    CHECK(Slot(&W::GetHandle) == 7);
    CHECK(Slot(&AModuleHandle::IsValid) == 1);
}

TEST_CASE("module information keeps its slot order") {
    using I = ModuleInfo;
    CHECK(Slot(&I::IsValid) == 1);
    CHECK(Slot(static_cast<bool (I::*)(const UString&, ModuleHandle*&) const>(&I::FindModule)) == 2);
    CHECK(Slot(static_cast<bool (I::*)(const PString&, ModuleHandle*&) const>(&I::FindModule)) == 3);
    CHECK(Slot(static_cast<bool (I::*)(const ModuleHandle*, UString&) const>(
              &I::QueryModuleFileName)) == 4);
    CHECK(Slot(static_cast<bool (I::*)(const ModuleHandle*, PString&) const>(
              &I::QueryModuleFileName)) == 5);
    CHECK(Slot(static_cast<bool (I::*)(const ModuleHandle*, UString&) const>(
              &I::QueryModuleVersion)) == 6);
    CHECK(Slot(static_cast<bool (I::*)(const ModuleHandle*, PString&) const>(
              &I::QueryModuleVersion)) == 7);
    CHECK(Slot(static_cast<bool (I::*)(const UString&, UString&) const>(&I::QueryFileVersion)) == 8);
    CHECK(Slot(static_cast<bool (I::*)(const PString&, PString&) const>(&I::QueryFileVersion)) == 9);

    using A = AModuleInfo;
    CHECK(Slot(&A::IsValid) == 1);
    CHECK(Slot(&A::CurrentModule) == 2);
    CHECK(Slot(static_cast<bool (A::*)(const UString&, AModuleHandle&) const>(&A::FindModule)) == 3);
    CHECK(Slot(static_cast<bool (A::*)(const PString&, AModuleHandle&) const>(&A::FindModule)) == 4);
    CHECK(Slot(static_cast<bool (A::*)(UString&) const>(&A::CurrentFileName)) == 5);
    CHECK(Slot(static_cast<bool (A::*)(PString&) const>(&A::CurrentFileName)) == 6);
    CHECK(Slot(static_cast<bool (A::*)(const AModuleHandle&, UString&) const>(
              &A::QueryModuleFileName)) == 7);
    CHECK(Slot(static_cast<bool (A::*)(const AModuleHandle&, PString&) const>(
              &A::QueryModuleFileName)) == 8);
    CHECK(Slot(static_cast<bool (A::*)(UString&) const>(&A::CurrentVersion)) == 9);
    CHECK(Slot(static_cast<bool (A::*)(PString&) const>(&A::CurrentVersion)) == 10);
    CHECK(Slot(static_cast<bool (A::*)(const AModuleHandle&, UString&) const>(
              &A::QueryModuleVersion)) == 11);
    CHECK(Slot(static_cast<bool (A::*)(const AModuleHandle&, PString&) const>(
              &A::QueryModuleVersion)) == 12);
    CHECK(Slot(static_cast<bool (A::*)(const UString&, UString&) const>(&A::QueryFileVersion)) == 13);
    CHECK(Slot(static_cast<bool (A::*)(const PString&, PString&) const>(&A::QueryFileVersion)) == 14);
}
