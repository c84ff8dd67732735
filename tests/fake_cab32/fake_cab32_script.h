// What the scriptable test double of "cab32.dll" answers and what it records.
// The test program and the double share one block of named memory, so the
// script survives the library being loaded and unloaded on every call.
#pragma once

#include <cstdint>
#include <string>

namespace fake_cab32 {

// The name of the shared script of one test process: tests run in parallel.
inline std::string ScriptMappingName(unsigned long processId) {
    return "Tarvik32FakeCab32Script." + std::to_string(processId);
}

enum CheckAnswer : std::int32_t {
    kCheckFalse = 0,
    kCheckTrue = 1,
    kCheckCabinetFile = 2,  // true when the path is a file that starts with "MSCF"
};

inline constexpr int kMaxMembers = 64;

struct Script {
    // Answers.
    std::uint32_t offered[4];       // bit i: function index i is offered
    std::int32_t version;           // CabGetVersion's result
    std::int32_t running;           // CabGetRunning's result
    std::int32_t cabResult;         // Cab's result
    std::int32_t checkAnswer;       // CheckAnswer
    std::uint32_t openHandle;       // CabOpenArchive's result (0: cannot open)
    std::int32_t outputWithoutNul;  // Cab fills the whole buffer, no NUL
    char output[70000];             // text Cab writes into the output buffer
    std::int32_t memberCount;
    std::int32_t membersFillRecord; // no NUL after a member path: the rest of the record is 'X'
    char members[kMaxMembers][300];
    char cabCreatesCabinet[520];    // when set, Cab writes a small "MSCF" file there

    // Records.
    std::int32_t loads;
    std::int32_t unloads;
    std::int32_t queryCalls;
    std::int32_t cabCalls;
    std::int32_t cabCommandWasNull;
    char lastCommand[4096];
    std::uint64_t lastCabOwner;
    std::uint32_t lastBufferSize;
    std::int32_t setOwnerCalls;
    std::int32_t clearOwnerCalls;
    std::uint64_t ownerDuringCab;   // owner registered with CabSetOwnerWindow when Cab ran
    std::int32_t ownerEnabledDuringCab;  // IsWindowEnabled of Cab's owner window while Cab ran
    std::int32_t checkCalls;
    char lastCheckPath[520];
    std::int32_t lastCheckMode;
    std::int32_t openCalls;
    std::int32_t closeCalls;
    std::uint32_t lastOpenMode;
    char lastFindWildcard[32];
};

}  // namespace fake_cab32
