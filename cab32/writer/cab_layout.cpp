#include "cab_layout.h"

#include <algorithm>

namespace tarvik::cabwriter {
namespace {

constexpr std::uint32_t kHeaderFixed = 36;
constexpr std::uint32_t kFolderEntry = 8;
constexpr std::uint32_t kFileEntryFixed = 16;
constexpr std::uint32_t kDataHeader = 8;
// Room a volume needs beyond its header, so that any block can be cut
// with at least one byte on either side.
constexpr std::uint32_t kMinimumDataRoom = 32;

// Uncompressed range [start, end) of the blocks a cabinet touches.
struct Coverage {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

struct Layout {
    const LayoutInput& input;
    std::vector<std::uint64_t> blockStart;  // uncompressed start of each block, plus the total
    std::vector<std::uint64_t> entryBytes;  // prefix sums of CFFILE entry sizes

    const std::vector<FileRecord>& Files() const { return *input.files; }
    const std::vector<BlockRecord>& Blocks() const { return *input.blocks; }
    std::uint64_t Total() const { return blockStart.back(); }
};

std::uint32_t NamePairBytes(const std::string& cabinetName) {
    return static_cast<std::uint32_t>(cabinetName.size()) + 2;  // name and empty disk name
}

// Files [first, last) that may be listed for a coverage: a superset of the
// exact list, used to size headers before the layout is final.
std::pair<std::size_t, std::size_t> CandidateFiles(const Layout& layout, Coverage range, bool lastCabinet) {
    const auto& files = layout.Files();
    std::size_t first = 0, last = files.size();
    while (first < files.size() &&
           std::uint64_t{files[first].folderOffset} + files[first].size <= range.start &&
           !(files[first].size == 0 && files[first].folderOffset >= range.start))
        ++first;
    if (!lastCabinet) {
        last = first;
        while (last < files.size() && files[last].folderOffset < range.end) ++last;
    }
    return {first, last};
}

// Places pieces of the blocks from (block, from) into `room` bytes. A
// volume that is not the last always ends inside a block, as readers join
// the last block of one volume with the first block of the next.
std::vector<DataPiece> FillVolume(const Layout& layout, std::uint32_t block, std::uint32_t from,
                                  std::uint32_t room) {
    std::vector<DataPiece> pieces;
    const auto& blocks = layout.Blocks();
    while (block < blocks.size() && room > kDataHeader) {
        const std::uint32_t rest = blocks[block].compressedSize - from;
        const bool lastBlock = block + 1 == blocks.size();
        if (kDataHeader + rest <= room && (lastBlock || kDataHeader + rest + kDataHeader + 1 <= room)) {
            pieces.push_back({block, from, rest, true});
            room -= kDataHeader + rest;
            ++block;
            from = 0;
            continue;
        }
        const std::uint32_t take = std::min(room - kDataHeader, rest - 1);
        if (take != 0) pieces.push_back({block, from, take, false});
        break;
    }
    return pieces;
}

Coverage CoverageOf(const Layout& layout, const std::vector<DataPiece>& pieces) {
    return {layout.blockStart[pieces.front().block], layout.blockStart[pieces.back().block + 1]};
}

bool AllPlaced(const Layout& layout, const std::vector<DataPiece>& pieces) {
    const DataPiece& last = pieces.back();
    return last.completesBlock && last.block + 1 == layout.Blocks().size();
}

// Cuts the data into volumes, growing each header estimate until the
// files the volume covers fit in it.
bool PlanVolumes(const Layout& layout, std::vector<std::vector<DataPiece>>& volumes,
                 std::vector<Coverage>& coverages) {
    const std::uint32_t size = layout.input.volumeSize;
    std::uint32_t block = 0, from = 0;
    for (int number = 1;; ++number) {
        if (number > 0xFFFF) return false;
        const std::uint32_t names = (number > 1 ? NamePairBytes(layout.input.volumeName(number - 1)) : 0) +
                                    NamePairBytes(layout.input.volumeName(number + 1));
        std::uint64_t header = kHeaderFixed + kFolderEntry + names;
        std::vector<DataPiece> pieces;
        for (;;) {
            if (header + kMinimumDataRoom > size) return false;
            pieces = FillVolume(layout, block, from, static_cast<std::uint32_t>(size - header));
            if (pieces.empty()) return false;
            const Coverage range = CoverageOf(layout, pieces);
            const auto [first, last] = CandidateFiles(layout, range, AllPlaced(layout, pieces));
            const std::uint64_t needed =
                kHeaderFixed + kFolderEntry + names + layout.entryBytes[last] - layout.entryBytes[first];
            if (needed <= header) break;
            header = needed;
        }
        volumes.push_back(pieces);
        coverages.push_back(CoverageOf(layout, pieces));
        const DataPiece& end = pieces.back();
        if (AllPlaced(layout, pieces)) return true;
        block = end.completesBlock ? end.block + 1 : end.block;
        from = end.completesBlock ? 0 : end.from + end.length;
    }
}

bool Touches(const FileRecord& file, Coverage range) {
    return file.folderOffset < range.end && std::uint64_t{file.folderOffset} + file.size > range.start;
}

// The cabinet that lists an empty file: the last one whose range holds its offset.
std::size_t HomeOfEmptyFile(const FileRecord& file, const std::vector<Coverage>& coverages) {
    for (std::size_t k = coverages.size(); k-- > 0;)
        if (coverages[k].start <= file.folderOffset && file.folderOffset < coverages[k].end) return k;
    return coverages.size() - 1;
}

// Lists every file in each volume it has data in, marked as continued from
// the previous and/or to the next volume where its data crosses the cut.
void ListFiles(const Layout& layout, const std::vector<Coverage>& coverages, std::vector<CabinetPlan>& plans) {
    const auto& files = layout.Files();
    const std::size_t count = coverages.size();
    for (std::uint32_t i = 0; i < files.size(); ++i) {
        const FileRecord& file = files[i];
        if (file.size == 0) {
            plans[HomeOfEmptyFile(file, coverages)].files.push_back({i, 0});
            continue;
        }
        for (std::size_t k = 0; k < count; ++k) {
            if (!Touches(file, coverages[k])) continue;
            const bool previous = k > 0 && Touches(file, coverages[k - 1]);
            const bool next = k + 1 < count && Touches(file, coverages[k + 1]);
            const std::uint16_t index = previous && next ? kContinuedBothWays
                                        : previous      ? kContinuedFromPrevious
                                        : next          ? kContinuedToNext
                                                        : std::uint16_t{0};
            plans[k].files.push_back({i, index});
        }
    }
}

void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void SetLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<CabinetPlan> PlanCabinets(const LayoutInput& input) {
    Layout layout{input, {0}, {0}};
    for (const BlockRecord& block : *input.blocks)
        layout.blockStart.push_back(layout.blockStart.back() + block.uncompressedSize);
    for (const FileRecord& file : *input.files)
        layout.entryBytes.push_back(layout.entryBytes.back() + kFileEntryFixed + file.name.size() + 1);

    std::vector<std::vector<DataPiece>> volumes;
    std::vector<Coverage> coverages;
    if (input.volumeSize == 0 || input.blocks->empty()) {
        std::vector<DataPiece> all;
        for (std::uint32_t b = 0; b < input.blocks->size(); ++b)
            all.push_back({b, 0, (*input.blocks)[b].compressedSize, true});
        volumes.push_back(all);
        coverages.push_back({0, layout.Total()});
    } else if (!PlanVolumes(layout, volumes, coverages)) {
        return {};
    }
    std::vector<CabinetPlan> plans(volumes.size());
    for (std::size_t k = 0; k < volumes.size(); ++k) plans[k].pieces = std::move(volumes[k]);
    ListFiles(layout, coverages, plans);
    if (input.volumeSize != 0 && input.blocks->empty()) {
        const std::uint64_t header = kHeaderFixed + kFolderEntry + layout.entryBytes.back();
        if (header > input.volumeSize) return {};
    }
    return plans;
}

std::vector<std::uint8_t> BuildHeader(const CabinetPlan& plan, const std::vector<FileRecord>& files,
                                      const HeaderFields& fields) {
    std::vector<std::uint8_t> out;
    out.reserve(64 + 24 * plan.files.size());
    PutLe32(out, 0x4643534D);  // "MSCF"
    PutLe32(out, 0);
    PutLe32(out, 0);  // cabinet size, set below
    PutLe32(out, 0);
    PutLe32(out, 0);  // offset of the first CFFILE, set below
    PutLe32(out, 0);
    out.push_back(3);  // format version 1.3
    out.push_back(1);
    PutLe16(out, 1);  // one folder
    PutLe16(out, static_cast<std::uint32_t>(plan.files.size()));
    PutLe16(out, (fields.hasPrevious ? 0x0001 : 0) | (fields.hasNext ? 0x0002 : 0));
    PutLe16(out, fields.setId);
    PutLe16(out, fields.cabinetIndex);
    if (fields.hasPrevious) {
        PutText(out, fields.previousName);
        PutText(out, "");
    }
    if (fields.hasNext) {
        PutText(out, fields.nextName);
        PutText(out, "");
    }
    const std::size_t folderAt = out.size();
    PutLe32(out, 0);  // first CFDATA, set below
    PutLe16(out, static_cast<std::uint32_t>(plan.pieces.size()));
    PutLe16(out, fields.compressionType);
    SetLe32(out, 16, static_cast<std::uint32_t>(out.size()));
    for (const ListedFile& listed : plan.files) {
        const FileRecord& file = files[listed.file];
        PutLe32(out, file.size);
        PutLe32(out, file.folderOffset);
        PutLe16(out, listed.folderIndex);
        PutLe16(out, file.dosDate);
        PutLe16(out, file.dosTime);
        PutLe16(out, file.attributes);
        PutText(out, file.name);
    }
    SetLe32(out, folderAt, static_cast<std::uint32_t>(out.size()));
    SetLe32(out, 8, CabinetSize(plan, out.size()));
    return out;
}

std::uint32_t CabinetSize(const CabinetPlan& plan, std::size_t headerSize) {
    std::uint64_t size = headerSize;
    for (const DataPiece& piece : plan.pieces) size += kDataHeader + piece.length;
    return static_cast<std::uint32_t>(size);
}

}  // namespace tarvik::cabwriter
