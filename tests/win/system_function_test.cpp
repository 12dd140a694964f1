// Functions taken at run time: found, missing, or Wine's stubs that end the process when
// called, and the guard that abandons such a call instead. The stubs are called for real.
#include "win/system_function.h"

#include <gtest/gtest.h>

namespace {

bool OnWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

using IntFn = int(WINAPI*)(const char*);
using FindComputerFn = BOOL(WINAPI*)(const void*, const void*);

TEST(SystemFunction, RealMissingAndStubFunctionsAreToldApart)
{
    EXPECT_EQ(SystemFunction::ByName("kernel32.dll", "lstrlenA").State(), FunctionState::Available);
    EXPECT_EQ(SystemFunction::ByOrdinal("shell32.dll", 61).State(), FunctionState::Available) << "the Run dialog";
    EXPECT_EQ(SystemFunction::ByName("kernel32.dll", "NoSuchFunctionAnywhere").State(), FunctionState::Missing);
    EXPECT_EQ(SystemFunction::ByName("no_such_library.dll", "lstrlenA").State(), FunctionState::Missing);
    if (!OnWine()) GTEST_SKIP() << "Wine's stubs only";
    EXPECT_EQ(SystemFunction::ByOrdinal("shell32.dll", 91).State(), FunctionState::Stub) << "Find Computer";
    EXPECT_EQ(SystemFunction::ByName("shell32.dll", "SHFindComputer").State(), FunctionState::Stub);
}

TEST(SystemFunction, CallGivesTheResultOrNothingWhenItCannotBeCalled)
{
    SystemFunction length = SystemFunction::ByName("kernel32.dll", "lstrlenA");
    EXPECT_EQ(length.Call<IntFn>("four"), std::optional<int>(4));
    SystemFunction missing = SystemFunction::ByName("kernel32.dll", "NoSuchFunctionAnywhere");
    EXPECT_FALSE(missing.Call<IntFn>("four"));
    if (!OnWine()) GTEST_SKIP() << "Wine's stubs only";
    SystemFunction find = SystemFunction::ByOrdinal("shell32.dll", 91);
    EXPECT_FALSE(find.Call<FindComputerFn>(nullptr, nullptr)) << "known as a stub: not called";
}

int seen = 0;
LONG CALLBACK TakeOther(EXCEPTION_POINTERS* info)
{
    if (info->ExceptionRecord->ExceptionCode != 0xE0000001) return EXCEPTION_CONTINUE_SEARCH;
    ++seen;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The guard must hold even where the stub is not recognised beforehand.
TEST(RunGuarded, AStubReachedDuringTheCallAbandonsItAndTheProcessGoesOn)
{
    if (!OnWine()) GTEST_SKIP() << "Wine's stubs only";
    auto find = reinterpret_cast<FindComputerFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("shell32.dll"), MAKEINTRESOURCEA(91))));
    ASSERT_TRUE(find);
    void* chain = reinterpret_cast<NT_TIB*>(NtCurrentTeb())->ExceptionList;
    for (int round = 0; round < 3; ++round) {
        int reached = 0;
        auto call = [&] {
            ++reached;
            find(nullptr, nullptr);
            ++reached;
        };
        EXPECT_FALSE(CallGuarded(call));
        EXPECT_EQ(reached, 1) << "stopped inside the stub, round " << round;
        EXPECT_EQ(reinterpret_cast<NT_TIB*>(NtCurrentTeb())->ExceptionList, chain);
    }
}

TEST(RunGuarded, OnlyTheStubExceptionIsTakenAndAGuardedCallThatReturnsRunsThrough)
{
    // What any stub raises, whatever code it was generated from.
    ULONG_PTR names[2] = {reinterpret_cast<ULONG_PTR>("x.dll"), reinterpret_cast<ULONG_PTR>("F")};
    auto stub = [&] { RaiseException(0x80000100, EXCEPTION_NONCONTINUABLE, 2, names); };
    EXPECT_FALSE(CallGuarded(stub));

    // Another exception passes the guard and reaches the handlers behind it.
    seen = 0;
    PVOID behind = AddVectoredExceptionHandler(0, TakeOther);
    ASSERT_TRUE(behind);
    int after = 0;
    auto other = [&] {
        RaiseException(0xE0000001, 0, 0, nullptr);
        ++after;
    };
    EXPECT_TRUE(CallGuarded(other));
    RemoveVectoredExceptionHandler(behind);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(after, 1);

    // Nested guards: the inner one takes its own stub, the outer call goes on.
    int outerDone = 0;
    auto outer = [&] {
        EXPECT_FALSE(CallGuarded(stub));
        ++outerDone;
    };
    EXPECT_TRUE(CallGuarded(outer));
    EXPECT_EQ(outerDone, 1);
}

}  // namespace
