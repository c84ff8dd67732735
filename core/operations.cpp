#include "operations.h"

#include "sjis_path.h"

namespace tarvik {

namespace {

// The row of `rows` whose text `field` equals `text` (letter case ignored), or null.
template <typename Row, std::size_t N>
const Row* FindRow(const Row (&rows)[N], const char* Row::*field, std::string_view text) {
    for (const Row& row : rows) {
        if (SameTextIgnoringCase(text, row.*field)) return &row;
    }
    return nullptr;
}

}  // namespace

std::optional<JobKind> JobKindFromSwitch(std::string_view operationSwitch) {
    const JobKindInfo* row = FindRow(kJobKinds, &JobKindInfo::operationSwitch, operationSwitch);
    return row ? std::optional(row->kind) : std::nullopt;
}

std::optional<JobKind> JobKindFromItem(std::string_view item) {
    const JobKindInfo* row = FindRow(kJobKinds, &JobKindInfo::item, item);
    return row ? std::optional(row->kind) : std::nullopt;
}

std::optional<std::string_view> CompressionSwitchOf(std::string_view item) {
    const CompressionTypeInfo* row = FindRow(kCompressionTypes, &CompressionTypeInfo::item, item);
    return row ? std::optional<std::string_view>(row->compressionSwitch) : std::nullopt;
}

}  // namespace tarvik
