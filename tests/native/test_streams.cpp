#include "test_streams.h"

#include <cstring>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <unistd.h>

#include "data_block.h"
#include "quantum_encoder.h"

namespace tarvik::testing {

Bytes SampleData(Sample kind, std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out;
    out.reserve(size);
    while (out.size() < size) {
        switch (kind) {
        case Sample::Text: {
            const std::string line = std::to_string(out.size() % 9973) + " word" + std::to_string(random() % 300) +
                                     " and w" + std::to_string(random() % 40) + "\n";
            out.insert(out.end(), line.begin(), line.end());
            break;
        }
        case Sample::Random: out.push_back(static_cast<std::uint8_t>(random())); break;
        case Sample::Mixed: {
            const std::size_t run = 1 + random() % 4000;
            if (random() % 3 == 0 && out.size() > 70000) {  // a repeat from far back
                const std::size_t from = random() % (out.size() - run);
                for (std::size_t i = 0; i < run; ++i) out.push_back(out[from + i]);
            } else {
                const Bytes part = SampleData(random() % 2 ? Sample::Text : Sample::Random, run, random());
                out.insert(out.end(), part.begin(), part.end());
            }
            break;
        }
        case Sample::Calls:
            out.push_back(0xE8);
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(random() % 7 == 0 ? 0xFF : random() % 64));
            for (std::uint32_t i = random() % 12; i > 0; --i) out.push_back(static_cast<std::uint8_t>(random()));
            break;
        }
    }
    out.resize(size);
    return out;
}

Folder EncodeWithWriter(cab32::Compression method, int lzxWindowBits, const Bytes& data, int framesPerBlock,
                        int stretchFrames) {
    Folder folder;
    folder.type = cab32::FolderCompressionType(method, lzxWindowBits);
    cab32::EncoderSettings settings;
    settings.compression = method;
    settings.lzxWindowBits = lzxWindowBits;
    settings.framesPerBlock = framesPerBlock;
    settings.stretchFrames = stretchFrames;
    auto encoder = cab32::MakeFrameEncoder(settings);
    if (!encoder) std::abort();
    cab32::Payloads ready;
    std::vector<std::uint16_t> sizes;
    for (std::size_t at = 0; at < data.size(); at += cab32::kFrameSize) {
        const std::size_t size = std::min(cab32::kFrameSize, data.size() - at);
        sizes.push_back(static_cast<std::uint16_t>(size));
        if (!encoder->Encode({data.data() + at, size}, ready)) std::abort();
    }
    if (!encoder->Finish(ready) || ready.size() != sizes.size()) std::abort();
    for (std::size_t i = 0; i < ready.size(); ++i) folder.blocks.push_back({ready[i], sizes[i]});
    return folder;
}

Folder EncodeQuantum(int windowBits, const Bytes& data) {
    Folder folder;
    folder.type = cab32::QuantumEncoder::FolderType(windowBits);
    cab32::QuantumEncoder encoder(windowBits);
    for (std::size_t at = 0; at < data.size(); at += cab32::kFrameSize) {
        const std::size_t size = std::min(cab32::kFrameSize, data.size() - at);
        folder.blocks.push_back({encoder.EncodeFrame({data.data() + at, size}), static_cast<std::uint16_t>(size)});
    }
    return folder;
}

bool DecodeFolder(const Folder& folder, Bytes& out) {
    out.clear();
    auto decoder = cab32::MakeFrameDecoder(folder.type);
    if (!decoder) return false;
    for (const Block& block : folder.blocks) {
        const std::size_t at = out.size();
        out.resize(at + block.size);
        if (!decoder->Decode(block.payload, {out.data() + at, block.size})) return false;
    }
    return true;
}

bool MemoryCabSource::Read(std::int64_t offset, void* buffer, std::uint32_t count) const {
    if (offset < 0 || static_cast<std::uint64_t>(offset) + count > size_) return false;
    if (count != 0) std::memcpy(buffer, data_ + offset, count);
    return true;
}

Bytes BuildCabinet(const Folder& folder) {
    std::uint32_t total = 0;
    std::uint32_t dataBytes = 0;
    for (const Block& block : folder.blocks) {
        total += block.size;
        dataBytes += 8 + static_cast<std::uint32_t>(block.payload.size());
    }
    const std::string name = "data.bin";
    const std::uint32_t filesAt = 36 + 8;
    const std::uint32_t dataAt = filesAt + 16 + static_cast<std::uint32_t>(name.size()) + 1;
    Bytes cab = {'M', 'S', 'C', 'F'};
    for (std::uint32_t v : {0u, dataAt + dataBytes, 0u, filesAt, 0u}) cab32::AppendLe32(cab, v);
    cab.push_back(3);
    cab.push_back(1);
    for (std::uint32_t v : {1u, 1u, 0u, 0x1234u, 0u}) cab32::AppendLe16(cab, v);
    cab32::AppendLe32(cab, dataAt);
    cab32::AppendLe16(cab, static_cast<std::uint32_t>(folder.blocks.size()));
    cab32::AppendLe16(cab, folder.type);
    cab32::AppendLe32(cab, total);
    cab32::AppendLe32(cab, 0);
    for (std::uint32_t v : {0u, 0x5988u, 0u, 0x20u}) cab32::AppendLe16(cab, v);
    cab.insert(cab.end(), name.begin(), name.end());
    cab.push_back(0);
    for (const Block& block : folder.blocks) {
        cab32::AppendDataBlockHeader(cab, block.payload, block.size);
        cab.insert(cab.end(), block.payload.begin(), block.payload.end());
    }
    return cab;
}

bool ReadCabinetFolders(const Bytes& cab, std::vector<Folder>& folders) {
    folders.clear();
    if (cab.size() < 36 || cab32::ReadLe32(&cab[0]) != 0x4643534D) return false;
    const std::uint32_t flags = cab32::ReadLe16(&cab[30]);
    std::size_t at = 36;
    std::uint32_t folderReserve = 0, dataReserve = 0;
    if (flags & 4) {
        folderReserve = cab[at + 2];
        dataReserve = cab[at + 3];
        at += 4 + cab32::ReadLe16(&cab[at]);
    }
    for (int name = 0; name < ((flags & 1) ? 2 : 0) + ((flags & 2) ? 2 : 0); ++name)
        while (at < cab.size() && cab[at++] != 0) {}
    const std::uint32_t count = cab32::ReadLe16(&cab[26]);
    for (std::uint32_t f = 0; f < count; ++f, at += 8 + folderReserve) {
        if (at + 8 > cab.size()) return false;
        Folder folder;
        folder.type = static_cast<std::uint16_t>(cab32::ReadLe16(&cab[at + 6]));
        std::size_t block = cab32::ReadLe32(&cab[at]);
        for (std::uint32_t b = cab32::ReadLe16(&cab[at + 4]); b > 0; --b) {
            if (block + 8 + dataReserve > cab.size()) return false;
            const std::size_t length = cab32::ReadLe16(&cab[block + 4]);
            const std::size_t from = block + 8 + dataReserve;
            if (from + length > cab.size()) return false;
            folder.blocks.push_back({Bytes(cab.begin() + static_cast<std::ptrdiff_t>(from),
                                           cab.begin() + static_cast<std::ptrdiff_t>(from + length)),
                                     static_cast<std::uint16_t>(cab32::ReadLe16(&cab[block + 6]))});
            block = from + length;
        }
        folders.push_back(std::move(folder));
    }
    return true;
}

Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteWholeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool ExtractWithCabextract(const Bytes& cabinet, Bytes& out) {
    char folder[] = "/tmp/cabcore-test.XXXXXX";
    if (!mkdtemp(folder)) return false;
    const std::string dir = folder;
    WriteWholeFile(dir + "/t.cab", cabinet);
    const std::string command = "cabextract -q -d " + dir + "/out " + dir + "/t.cab >/dev/null 2>&1";
    const bool ok = std::system(command.c_str()) == 0;
    out = ReadWholeFile(dir + "/out/data.bin");
    std::system(("rm -rf " + dir).c_str());
    return ok;
}

std::string DecodersDisagree(const Folder& folder, const Bytes& expected) {
    Bytes decoded, extracted;
    if (!DecodeFolder(folder, decoded) || decoded != expected) return "the library's decoder";
    if (!ExtractWithCabextract(BuildCabinet(folder), extracted) || extracted != expected) return "cabextract";
    return {};
}

}  // namespace tarvik::testing
