#include "fake_cab32_control.h"

#include <cstring>
#include <stdexcept>

namespace testing_support {

namespace {

const char* VariantFolder(FakeVariant variant) {
    switch (variant) {
    case FakeVariant::Full: return "full";
    case FakeVariant::NoQuery: return "no_query";
    case FakeVariant::NoCab: return "no_cab";
    case FakeVariant::NoOwnerWindow: return "no_owner_window";
    case FakeVariant::NoFindNext: return "no_find_next";
    case FakeVariant::NoVersion: return "no_version";
    }
    return "full";
}

}  // namespace

std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

FakeCab32::FakeCab32(FakeVariant variant) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(fake_cab32::Script),
                                  fake_cab32::ScriptMappingName(GetCurrentProcessId()).c_str());
    if (!mapping_) throw std::runtime_error("cannot create the fake library's script");
    script_ = static_cast<fake_cab32::Script*>(
        MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(fake_cab32::Script)));
    if (!script_) throw std::runtime_error("cannot map the fake library's script");
    std::memset(script_, 0, sizeof *script_);
    for (int index : {0, 1, 8, 16}) Offer(index);
    script_->version = 90;
    script_->checkAnswer = fake_cab32::kCheckTrue;
    script_->openHandle = 1;
    const std::string folder = TestProgramFolder() + "\\fake_cab32\\" + VariantFolder(variant);
    SetDllDirectoryA(folder.c_str());
}

FakeCab32::~FakeCab32() {
    ResetLibrarySearch();
    UnmapViewOfFile(script_);
    CloseHandle(mapping_);
}

void FakeCab32::Offer(int functionIndex, bool offered) {
    const std::uint32_t bit = 1u << (functionIndex % 32);
    std::uint32_t& word = script_->offered[functionIndex / 32];
    word = offered ? (word | bit) : (word & ~bit);
}

void FakeCab32::OfferNothing() { std::memset(script_->offered, 0, sizeof script_->offered); }

void FakeCab32::SetMembers(const std::vector<std::string>& members) {
    script_->memberCount = 0;
    for (const std::string& member : members) {
        std::strncpy(script_->members[script_->memberCount++], member.c_str(),
                     sizeof script_->members[0] - 1);
    }
}

void FakeCab32::SetOutput(const std::string& text) {
    std::strncpy(script_->output, text.c_str(), sizeof script_->output - 1);
}

void UseNoLibrary() {
    const std::string folder = TestProgramFolder() + "\\fake_cab32\\none";
    CreateDirectoryA(folder.c_str(), nullptr);
    SetDllDirectoryA(folder.c_str());
}

void UseRealLibrary() {
    const std::string folder = TestProgramFolder() + "\\..\\..\\bin";
    SetDllDirectoryA(folder.c_str());
}

void ResetLibrarySearch() { SetDllDirectoryA(nullptr); }

}  // namespace testing_support
