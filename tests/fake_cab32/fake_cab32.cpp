// A scriptable stand-in for "cab32.dll" used only by the tests of the
// program's library binding and windows. It answers from a script in named
// shared memory and records how it was called. Its entry points are those
// of cab32_api.h.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cab32_api.h"
#include "fake_cab32_script.h"

using fake_cab32::Script;

namespace {

Script g_defaultScript;  // used when no test has published a script
Script* g_script = &g_defaultScript;
HANDLE g_mapping = nullptr;
HWND g_owner = nullptr;

void CopyText(char* target, std::size_t size, const char* text) {
    std::snprintf(target, size, "%s", text ? text : "");
}

bool IsOffered(int index) {
    if (index < 0 || index >= 128) return false;
    return (g_script->offered[index / 32] >> (index % 32)) & 1u;
}

bool StartsWithCabinetSignature(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char signature[4] = {};
    const bool ok = std::fread(signature, 1, 4, file) == 4 && std::memcmp(signature, "MSCF", 4) == 0;
    std::fclose(file);
    return ok;
}

int FillRecord(void* record, int index) {
    namespace api = tarvik::cab32;
    if (index >= g_script->memberCount || index >= fake_cab32::kMaxMembers) return -1;
    auto* bytes = static_cast<char*>(record);
    std::memset(bytes, 0, api::kMemberRecordSize);
    const char* member = g_script->members[index];
    char* path = bytes + api::kRecordPath.offset;
    if (g_script->membersFillRecord) {
        std::memset(path, 'X', api::kMemberRecordSize - api::kRecordPath.offset);
        std::memcpy(path, member, std::strlen(member));
    } else {
        std::memcpy(path, member, std::strlen(member) + 1);
    }
    return 0;
}

int g_findIndex = 0;

}  // namespace

extern "C" {

int WINAPI Cab(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    Script& s = *g_script;
    ++s.cabCalls;
    s.cabCommandWasNull = commandLine == nullptr;
    CopyText(s.lastCommand, sizeof s.lastCommand, commandLine);
    s.lastCabOwner = static_cast<std::uint64_t>(reinterpret_cast<UINT_PTR>(owner));
    s.lastBufferSize = outputSize;
    s.ownerDuringCab = static_cast<std::uint64_t>(reinterpret_cast<UINT_PTR>(g_owner));
    s.ownerEnabledDuringCab = IsWindowEnabled(owner);
    if (output && outputSize > 0) {
        if (s.outputWithoutNul) {
            std::memset(output, 'Z', outputSize);
        } else {
            const std::size_t length = std::strlen(s.output);
            const std::size_t copied = length < outputSize ? length : outputSize - 1;
            std::memcpy(output, s.output, copied);
            output[copied] = '\0';
        }
    }
    if (s.cabCreatesCabinet[0]) {
        if (FILE* file = std::fopen(s.cabCreatesCabinet, "wb")) {
            std::fputs("MSCF fake cabinet", file);
            std::fclose(file);
        }
    }
    return s.cabResult;
}

int WINAPI CabGetVersion() { return g_script->version; }

BOOL WINAPI CabGetRunning() { return g_script->running; }

BOOL WINAPI CabCheckArchive(LPCSTR path, int mode) {
    Script& s = *g_script;
    ++s.checkCalls;
    CopyText(s.lastCheckPath, sizeof s.lastCheckPath, path);
    s.lastCheckMode = mode;
    switch (s.checkAnswer) {
    case fake_cab32::kCheckTrue: return TRUE;
    case fake_cab32::kCheckCabinetFile: return path && StartsWithCabinetSignature(path);
    default: return FALSE;
    }
}

BOOL WINAPI CabQueryFunctionList(int index) {
    ++g_script->queryCalls;
    return IsOffered(index);
}

BOOL WINAPI CabSetOwnerWindow(HWND owner) {
    ++g_script->setOwnerCalls;
    g_owner = owner;
    return TRUE;
}

BOOL WINAPI CabClearOwnerWindow() {
    ++g_script->clearOwnerCalls;
    g_owner = nullptr;
    return TRUE;
}

HANDLE WINAPI CabOpenArchive(HWND, LPCSTR, DWORD mode) {
    ++g_script->openCalls;
    g_script->lastOpenMode = mode;
    g_findIndex = 0;
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(g_script->openHandle));
}

int WINAPI CabCloseArchive(HANDLE) {
    ++g_script->closeCalls;
    return 0;
}

int WINAPI CabFindFirst(HANDLE, LPCSTR wildcard, void* record) {
    CopyText(g_script->lastFindWildcard, sizeof g_script->lastFindWildcard, wildcard);
    g_findIndex = 0;
    return FillRecord(record, g_findIndex++);
}

int WINAPI CabFindNext(HANDLE, void* record) { return FillRecord(record, g_findIndex++); }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE,
                                     fake_cab32::ScriptMappingName(GetCurrentProcessId()).c_str());
        if (g_mapping) {
            if (void* view = MapViewOfFile(g_mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Script))) {
                g_script = static_cast<Script*>(view);
            }
        }
        ++g_script->loads;
    } else if (reason == DLL_PROCESS_DETACH) {
        ++g_script->unloads;
        if (g_script != &g_defaultScript) UnmapViewOfFile(g_script);
        if (g_mapping) CloseHandle(g_mapping);
    }
    return TRUE;
}

}  // extern "C"
