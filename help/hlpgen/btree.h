// The B+ tree the help file uses for its directory and its lookup tables.
#pragma once

#include <string_view>
#include <vector>

#include "byte_writer.h"

namespace hlpgen {

struct BTreeEntry {
    Bytes key;   // the key as index pages store it
    Bytes leaf;  // the whole leaf entry (key followed by its data)
};

struct BTreeFormat {
    unsigned flags;            // 0x0402 for the directory, 0x0002 otherwise
    unsigned pageSize;         // 1024 for the directory, 2048 otherwise
    std::string_view structure;  // e.g. "z4" or "L4"
};

// Lays out entries that are already in key order into leaf pages and as
// many levels of index pages as needed; the root is the last page.
// `leafStarts`, when given, receives the index of the first entry of each
// leaf page, in page order.
[[nodiscard]] Bytes BuildBTree(const BTreeFormat& format, const std::vector<BTreeEntry>& sortedEntries,
                               std::vector<std::size_t>* leafStarts = nullptr);

}  // namespace hlpgen
