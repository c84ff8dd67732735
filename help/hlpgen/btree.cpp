#include "btree.h"

#include <algorithm>
#include <cstring>

namespace hlpgen {
namespace {

constexpr unsigned kLeafHeaderSize = 8;
constexpr unsigned kIndexHeaderSize = 6;

struct Page {
    ByteWriter bytes;
    Bytes firstKey;  // smallest key below this page
};

// Fills leaf pages in order; each page links to its neighbours.
std::vector<Page> BuildLeaves(unsigned pageSize, const std::vector<BTreeEntry>& entries,
                              std::vector<std::size_t>* leafStarts) {
    std::vector<Page> pages;
    std::size_t next = 0;
    do {
        if (leafStarts) leafStarts->push_back(next);
        Page page;
        ByteWriter body;
        unsigned count = 0;
        while (next < entries.size() && body.Size() + entries[next].leaf.size() <= pageSize - kLeafHeaderSize) {
            if (count == 0) page.firstKey = entries[next].key;
            body.Append(entries[next].leaf);
            ++count;
            ++next;
        }
        if (count == 0 && next < entries.size()) throw std::length_error("B+ tree entry larger than a page");
        const auto number = static_cast<int>(pages.size());
        page.bytes.U16(static_cast<unsigned>(pageSize - kLeafHeaderSize - body.Size()));
        page.bytes.U16(count);
        page.bytes.U16(static_cast<unsigned>(number - 1) & 0xFFFF);  // previous page, -1 for the first
        page.bytes.U16(next < entries.size() ? static_cast<unsigned>(number + 1) : 0xFFFF);
        page.bytes.Append(body.Data());
        page.bytes.Zeros(pageSize - page.bytes.Size());
        pages.push_back(std::move(page));
    } while (next < entries.size());
    return pages;
}

// Builds one level of index pages over pages [first, last]; returns how many.
unsigned BuildIndexLevel(unsigned pageSize, std::vector<Page>& pages, std::size_t first, std::size_t last) {
    unsigned made = 0;
    std::size_t child = first;
    while (child <= last) {
        Page page;
        page.firstKey = pages[child].firstKey;
        ByteWriter body;
        const auto previousChild = child++;
        unsigned count = 0;
        while (child <= last &&
               body.Size() + pages[child].firstKey.size() + 2 <= pageSize - kIndexHeaderSize) {
            body.Append(pages[child].firstKey);
            body.U16(static_cast<unsigned>(child));
            ++count;
            ++child;
        }
        page.bytes.U16(static_cast<unsigned>(pageSize - kIndexHeaderSize - body.Size()));
        page.bytes.U16(count);
        page.bytes.U16(static_cast<unsigned>(previousChild));
        page.bytes.Append(body.Data());
        page.bytes.Zeros(pageSize - page.bytes.Size());
        pages.push_back(std::move(page));
        ++made;
    }
    return made;
}

}  // namespace

Bytes BuildBTree(const BTreeFormat& format, const std::vector<BTreeEntry>& sortedEntries,
                 std::vector<std::size_t>* leafStarts) {
    auto pages = BuildLeaves(format.pageSize, sortedEntries, leafStarts);
    unsigned levels = 1;
    std::size_t levelFirst = 0;
    std::size_t levelCount = pages.size();
    while (levelCount > 1) {
        const auto made = BuildIndexLevel(format.pageSize, pages, levelFirst, levelFirst + levelCount - 1);
        levelFirst += levelCount;
        levelCount = made;
        ++levels;
    }

    ByteWriter out;
    out.U16(0x293B);
    out.U16(format.flags);
    out.U16(format.pageSize);
    char structure[16] = {};
    std::memcpy(structure, format.structure.data(), std::min<std::size_t>(format.structure.size(), 16));
    out.Append(std::string_view(structure, sizeof structure));
    out.U16(0);                                                   // must be zero
    out.U16(static_cast<unsigned>(pages.size() - levels));        // page splits
    out.U16(static_cast<unsigned>(pages.size() - 1));             // root page
    out.U16(0xFFFF);                                              // must be -1
    out.U16(static_cast<unsigned>(pages.size()));                 // total pages
    out.U16(levels);
    out.U32(static_cast<std::uint32_t>(sortedEntries.size()));
    for (const auto& page : pages) out.Append(page.bytes.Data());
    return out.Take();
}

}  // namespace hlpgen
