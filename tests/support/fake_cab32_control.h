// Publishes a script for the test double of "cab32.dll" and points the DLL
// search at one of its variants. One instance per test.
#pragma once

#include <windows.h>

#include <vector>
#include <string>

#include "fake_cab32_script.h"

namespace testing_support {

// Variants of the double, each exporting a different set of entry points.
enum class FakeVariant {
    Full,            // all eleven entry points
    NoQuery,         // without CabQueryFunctionList
    NoCab,           // without Cab
    NoOwnerWindow,   // without CabSetOwnerWindow
    NoFindNext,      // without CabFindNext
    NoVersion,       // without CabGetVersion
};

class FakeCab32 {
public:
    explicit FakeCab32(FakeVariant variant = FakeVariant::Full);
    ~FakeCab32();
    FakeCab32(const FakeCab32&) = delete;
    FakeCab32& operator=(const FakeCab32&) = delete;

    fake_cab32::Script& script() { return *script_; }
    fake_cab32::Script* operator->() { return script_; }

    void Offer(int functionIndex, bool offered = true);
    void OfferNothing();
    void SetMembers(const std::vector<std::string>& members);
    void SetOutput(const std::string& text);

private:
    HANDLE mapping_ = nullptr;
    fake_cab32::Script* script_ = nullptr;
};

// Points the DLL search at a folder without any "cab32.dll".
void UseNoLibrary();
// Points the DLL search at the real stand-in library of this build.
void UseRealLibrary();
// Restores the normal DLL search.
void ResetLibrarySearch();

// The folder that holds the running test program.
std::string TestProgramFolder();

}  // namespace testing_support
