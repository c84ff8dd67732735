// Registry key access lists for tests that make a key read-only.
#pragma once

#include <windows.h>
#include <sddl.h>

namespace testing_support {

// Sets the access list of a key under HKEY_CURRENT_USER from SDDL text; false
// when the key does not open.
inline bool SetKeyAccess(const char* subKey, const char* sddl) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR access = nullptr;
    const bool done =
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &access, nullptr) &&
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, access) == ERROR_SUCCESS;
    LocalFree(access);
    RegCloseKey(key);
    return done;
}

}  // namespace testing_support
