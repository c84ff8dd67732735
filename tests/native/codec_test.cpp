// The decoders against the library's own encoders, against cabextract
// (libmspack, an independent decoder) on streams no encoder here makes,
// and against damaged input.
#include <gtest/gtest.h>

#include "bit_writer.h"
#include "folder_reader.h"
#include "lzx_block_coder.h"
#include "lzx_decoder.h"
#include "lzx_tables.h"
#include "stretch_workers.h"
#include "test_streams.h"

namespace tarvik::testing {
namespace {

using cab32::Compression;

struct Method {
    Compression compression;
    int windowBits;
};

class WriterRoundTrip : public ::testing::TestWithParam<Method> {};

// Everything the writer makes decodes to its input, by the decoders here
// and by cabextract (aligned and verbatim blocks, repeated offsets, MSZIP
// with carried history): frames, the last short frame, history across
// frames and (LZX 15) a window that wraps, in one stretch and in stretches
// of 3 or 4 frames primed with the bytes before. As a cabinet it also reads
// back through its tables and the folder reader.
TEST_P(WriterRoundTrip, DecodersCabextractAndTheFolderReaderGiveBackTheInput) {
    const Bytes data = SampleData(Sample::Mixed, 400000, 7);
    for (int framesPerBlock : {1, 4}) {
        for (int stretchFrames : {0, 3, 4}) {
            SCOPED_TRACE("frames per block " + std::to_string(framesPerBlock) + ", stretch " + std::to_string(stretchFrames));
            const Folder folder =
                EncodeWithWriter(GetParam().compression, GetParam().windowBits, data, framesPerBlock, stretchFrames);
            EXPECT_EQ(DecodersDisagree(folder, data), "");
        }
    }
    const Bytes cab = BuildCabinet(EncodeWithWriter(GetParam().compression, GetParam().windowBits, data));
    const MemoryCabSource source(cab);
    cab32::CabDirectory directory;
    ASSERT_EQ(cab32::ReadCabDirectory(source, directory, true), cab32::CabFault::None);
    ASSERT_EQ(directory.folders.size(), 1u);
    cab32::FolderReader reader(directory.folders[0].compression);
    reader.StartPart(source, directory, directory.folders[0]);
    Bytes out;
    std::span<const std::uint8_t> frame;
    while (reader.Next(frame) == cab32::FolderReader::Step::Frame) out.insert(out.end(), frame.begin(), frame.end());
    EXPECT_EQ(out, data);
    EXPECT_EQ(reader.Position(), data.size());
}

INSTANTIATE_TEST_SUITE_P(Methods, WriterRoundTrip,
                         ::testing::Values(Method{Compression::None, 0}, Method{Compression::Mszip, 0},
                                           Method{Compression::Lzx, 15}, Method{Compression::Lzx, 16},
                                           Method{Compression::Lzx, 17}, Method{Compression::Lzx, 18},
                                           Method{Compression::Lzx, 21}));

// The worker threads give the frame encoder's bytes, whatever their
// number, for stretches handed over as the writer does; a pool destroyed
// with jobs queued, running and dropped ends cleanly (the sanitizers
// watch).
TEST(StretchWorkers, GiveTheSameBytesAsOneThreadAndStopCleanly) {
    using namespace cab32;
    const Bytes data = SampleData(Sample::Mixed, 500000, 21);
    for (const Method m : {Method{Compression::Mszip, 0}, Method{Compression::Lzx, 16}}) {
        EncoderSettings settings;
        settings.compression = m.compression;
        settings.lzxWindowBits = m.windowBits == 0 ? 21 : m.windowBits;
        settings.framesPerBlock = 2;
        settings.stretchFrames = 4;
        const Folder expected = EncodeWithWriter(m.compression, m.windowBits, data, 2, 4);
        const std::size_t stretchBytes = 4 * kFrameSize;
        for (int threads : {1, 3}) {
            StretchWorkers workers(settings, threads);
            ASSERT_TRUE(workers.Started());
            std::vector<std::shared_ptr<StretchJob>> jobs;
            for (std::size_t at = 0; at < data.size(); at += stretchBytes) {
                auto job = std::make_shared<StretchJob>();
                const std::size_t from = at > HistoryBytes(settings) ? at - HistoryBytes(settings) : 0;
                job->history.assign(data.begin() + static_cast<std::ptrdiff_t>(from),
                                    data.begin() + static_cast<std::ptrdiff_t>(at));
                job->data.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                                 data.begin() + static_cast<std::ptrdiff_t>(std::min(at + stretchBytes, data.size())));
                job->startsFolder = at == 0;
                workers.Submit(job);
                jobs.push_back(job);
            }
            FolderJoiner joiner(settings);
            std::size_t block = 0;
            for (const auto& job : jobs) {
                while (!workers.WaitFor(*job, std::chrono::milliseconds(50))) ASSERT_FALSE(workers.Failed());
                ASSERT_FALSE(job->Failed());
                joiner.Join(job->out);
                joiner.Pass(job->out, job->out.payloads.size());
                for (const auto& payload : job->out.payloads) EXPECT_EQ(payload, expected.blocks[block++].payload);
            }
            EXPECT_EQ(block, expected.blocks.size());
        }
        StretchWorkers abandoned(settings, 2);
        std::vector<std::shared_ptr<StretchJob>> jobs;
        for (int i = 0; i < 6; ++i) {
            auto job = std::make_shared<StretchJob>();
            job->data.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(stretchBytes));
            job->startsFolder = true;
            abandoned.Submit(job);
            jobs.push_back(job);
        }
        abandoned.Drop(*jobs[0]);
        abandoned.Drop(*jobs[5]);
    }
}

// A bit writer in LZX order for hand-made streams.
class LzxBits {
public:
    void Put(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            word_ = static_cast<std::uint16_t>(word_ << 1 | (value >> i & 1));
            if (++used_ == 16) Flush();
        }
    }
    // 1 to 16 zero bits up to the next word, as before an uncompressed block's bytes.
    void PadForRawBytes() { Put(0, 16 - used_); }
    void Raw(const Bytes& bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    void Raw32(std::uint32_t v) { Raw({std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}); }
    Bytes Take() { return std::move(out_); }

private:
    void Flush() {
        out_.push_back(static_cast<std::uint8_t>(word_));
        out_.push_back(static_cast<std::uint8_t>(word_ >> 8));
        word_ = 0;
        used_ = 0;
    }
    Bytes out_;
    std::uint16_t word_ = 0;
    int used_ = 0;
};

// Uncompressed LZX blocks (odd sizes followed by a pad byte, stored
// repeated offsets) with the x86 call translation switched on: the writer
// makes neither, so cabextract is the judge.
TEST(HandMadeLzx, UncompressedBlocksAndCallTranslationMatchCabextract) {
    const Bytes plain = SampleData(Sample::Calls, 40000, 3);
    LzxBits bits;
    // An uncompressed block: header, padding to a word, R0-R2, the bytes.
    auto block = [&](std::size_t from, std::size_t to) {
        const auto size = static_cast<std::uint32_t>(to - from);
        bits.Put(3, 3);
        bits.Put(size >> 8, 16);
        bits.Put(size & 0xFF, 8);
        bits.PadForRawBytes();
        for (int r = 0; r < 3; ++r) bits.Raw32(1);
        bits.Raw(Bytes(plain.begin() + static_cast<std::ptrdiff_t>(from), plain.begin() + static_cast<std::ptrdiff_t>(to)));
    };
    bits.Put(1, 1);  // call translation on, size 12,000,000
    bits.Put(0x00B7, 16);
    bits.Put(0x1B00, 16);
    block(0, 1001);
    bits.Raw({0});  // odd size: one pad byte before the next header
    block(1001, 32768);
    Folder folder{cab32::FolderCompressionType(Compression::Lzx, 16), {{bits.Take(), 32768}}};
    bits.Raw({0});  // the odd block ended with the frame: its pad byte opens the next one
    block(32768, 32775);
    bits.Raw({0});
    block(32775, plain.size());
    folder.blocks.push_back({bits.Take(), static_cast<std::uint16_t>(plain.size() - 32768)});

    Bytes expected, ours;
    ASSERT_TRUE(ExtractWithCabextract(BuildCabinet(folder), expected));
    ASSERT_EQ(expected.size(), plain.size());
    ASSERT_NE(expected, plain);  // the translation changed something
    ASSERT_TRUE(DecodeFolder(folder, ours));
    EXPECT_EQ(ours, expected);
}

// Matches of every short offset and of lengths around the decoder's 8-byte
// copy steps; sources in the window's last bytes (wholly, or running over
// its end), a match ending at the window's end, and a match reading the
// bytes just past one whose copy overran them. Coded by the writer's block
// coder from items made here; the bytes they stand for are the judge, and
// cabextract.
TEST(HandMadeLzx, MatchCopiesGiveTheirBytes) {
    namespace lzx = cab32::lzx;
    constexpr int kWindowBits = 15;
    constexpr std::uint32_t kWindow = 1u << kWindowBits, kFrame = 32768;
    const Bytes noise = SampleData(Sample::Random, kWindow, 4);
    Bytes plain;
    std::vector<std::vector<lzx::Item>> items(3);
    auto frameOf = [&](std::size_t end) -> std::vector<lzx::Item>& {
        EXPECT_EQ(plain.size() / kFrame, (end - 1) / kFrame) << "an item across frames";
        return items[plain.size() / kFrame];
    };
    auto literal = [&](std::uint8_t byte) {
        frameOf(plain.size() + 1).push_back(lzx::LiteralItem(byte));
        plain.push_back(byte);
    };
    auto match = [&](std::uint32_t offset, std::uint32_t length) {
        frameOf(plain.size() + length).push_back(lzx::NewOffsetMatch(offset, length));
        for (std::uint32_t i = 0; i < length; ++i) plain.push_back(plain[plain.size() - offset]);
    };
    for (std::uint8_t byte : noise) literal(byte);
    // Back at the window's start: {offset, length} pairs whose source lies
    // in the window's last bytes, runs over its end, or ends at its end.
    for (auto [offset, length] : {std::pair{20u, 10u}, {15u, 12u}, {30u, 8u}, {31u, 257u}, {400u, 3u}, {300u, 11u}})
        match(offset, length);
    for (std::uint32_t offset = 1; offset <= 17; ++offset) {
        for (std::uint32_t length : {2u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 33u, 257u}) {
            match(offset, length);
            literal(noise[plain.size() % kWindow]);
        }
    }
    for (std::uint32_t offset : {1u, 9u}) {
        match(offset, 9);       // overruns 7 bytes that are still history...
        match(kWindow - 3, 8);  // ...and these read them
    }
    while (plain.size() < 2 * kWindow - 20) literal(noise[plain.size() % 997]);
    match(9, 20);  // ends at the window's end
    match(kWindow - 3, 40);
    for (int i = 0; i < 100; ++i) literal(static_cast<std::uint8_t>(i));

    std::vector<lzx::FrameItems> frames;
    for (std::size_t f = 0; f < items.size(); ++f) {
        const std::size_t from = f * kFrame, size = std::min<std::size_t>(kFrame, plain.size() - from);
        frames.push_back({items[f], {plain.data() + from, size}});
    }
    const lzx::BlockPlan plan = lzx::PlanBlock(frames, lzx::kNumChars + 8 * lzx::PositionSlotCount(kWindowBits));
    Bytes stream;
    std::vector<std::size_t> frameEnds;
    cab32::BitWriter bits(stream);
    bits.Put(0, 1);  // no call translation
    lzx::WriteCodedBlock(bits, frames, plan, lzx::EmptyTrees(kWindowBits), frameEnds);
    Folder folder{cab32::FolderCompressionType(Compression::Lzx, kWindowBits), {}};
    std::size_t from = 0;
    for (std::size_t f = 0; f < frameEnds.size(); ++f) {
        folder.blocks.push_back({Bytes(stream.begin() + static_cast<std::ptrdiff_t>(from),
                                       stream.begin() + static_cast<std::ptrdiff_t>(frameEnds[f])),
                                 static_cast<std::uint16_t>(frames[f].bytes.size())});
        from = frameEnds[f];
    }
    EXPECT_EQ(DecodersDisagree(folder, plain), "");
}

// Random data between text goes into uncompressed LZX blocks (the trees
// and repeated offsets carry over them; an odd last frame takes a pad
// byte), costing at most a few bytes per block more than itself. In
// stretches of 4 frames the noise is a stretch without a coded block: the
// next stretch's trees go as differences from the first one's.
TEST(WriterCabinets, IncompressibleStretchesAreStored) {
    constexpr std::size_t kBlock = 4 * 32768;
    Bytes data = SampleData(Sample::Text, kBlock, 1);
    const Bytes noise = SampleData(Sample::Random, kBlock, 2), tail = SampleData(Sample::Text, kBlock + 1, 3);
    data.insert(data.end(), noise.begin(), noise.end());
    data.insert(data.end(), tail.begin(), tail.end());
    const Folder noiseAlone = EncodeWithWriter(Compression::Lzx, 21, noise, 4);
    std::size_t stored = 0;
    for (const Block& block : noiseAlone.blocks) stored += block.payload.size();
    EXPECT_LE(stored, noise.size() + 16);
    for (int windowBits : {15, 21}) {
        for (int framesPerBlock : {1, 4}) {
            for (int stretchFrames : {0, 4}) {
                const Folder folder = EncodeWithWriter(Compression::Lzx, windowBits, data, framesPerBlock, stretchFrames);
                EXPECT_EQ(DecodersDisagree(folder, data), "");
            }
        }
    }
}

// After a long stretch that does not compress, where the parse searches
// only now and then, a repeating pattern is still found and compressed.
TEST(WriterCabinets, RepeatsAfterNoiseAreFound) {
    Bytes data = SampleData(Sample::Random, 300000, 5);
    const std::string line = "pattern 0123456789 abcdefghijklmnopqrstuvwxyz";
    while (data.size() < 600000) data.insert(data.end(), line.begin(), line.end());
    const Folder folder = EncodeWithWriter(Compression::Lzx, 21, data, 4);
    std::size_t compressed = 0;
    for (const Block& block : folder.blocks) compressed += block.payload.size();
    EXPECT_LT(compressed, 300000u + 20000u);
}

// gcab's MSZIP cabinets (its own deflate blocks) decode to the source.
TEST(GcabCabinets, Decode) {
    char folder[] = "/tmp/cabcore-gcab.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    const Bytes data = SampleData(Sample::Mixed, 300000, 5);
    WriteWholeFile(dir + "/data.bin", data);
    ASSERT_EQ(std::system(("cd " + dir + " && gcab -c -z g.cab data.bin >/dev/null 2>&1").c_str()), 0);
    std::vector<Folder> folders;
    ASSERT_TRUE(ReadCabinetFolders(ReadWholeFile(dir + "/g.cab"), folders));
    std::system(("rm -rf " + dir).c_str());
    ASSERT_EQ(folders.size(), 1u);
    Bytes out;
    ASSERT_TRUE(DecodeFolder(folders[0], out));
    EXPECT_EQ(out, data);
}

// Damaged streams end with false (never a crash, an overrun or a hang,
// which the sanitizers would report): every truncation of a block, and
// single flipped bits.
TEST(DamagedStreams, FailCleanly) {
    const Bytes data = SampleData(Sample::Mixed, 70000, 9);
    for (const Folder& good : {EncodeWithWriter(Compression::Lzx, 15, data), EncodeWithWriter(Compression::Mszip, 0, data),
                               EncodeQuantum(15, data)}) {
        for (std::size_t cut = 0; cut < good.blocks[0].payload.size(); cut += good.blocks[0].payload.size() / 40 + 1) {
            Folder bad = good;
            bad.blocks[0].payload.resize(cut);
            Bytes out;
            EXPECT_FALSE(DecodeFolder(bad, out) && out == data) << cut;
        }
        for (std::size_t bit = 0; bit < 8 * good.blocks[1].payload.size(); bit += good.blocks[1].payload.size() / 5 + 1) {
            Folder bad = good;
            bad.blocks[1].payload[bit / 8] ^= static_cast<std::uint8_t>(1u << bit % 8);
            Bytes out;
            DecodeFolder(bad, out);  // may or may not notice; must stay inside its buffers
        }
    }
}

TEST(DamagedStreams, RefusedShapes) {
    // Methods and windows no reader supports.
    EXPECT_EQ(cab32::MakeFrameDecoder(0x1603), nullptr);  // LZX 2^22
    EXPECT_EQ(cab32::MakeFrameDecoder(0x0E03), nullptr);  // LZX 2^14
    EXPECT_EQ(cab32::MakeFrameDecoder(0x0942), nullptr);  // Quantum 2^9
    EXPECT_EQ(cab32::MakeFrameDecoder(0x0004), nullptr);
    // A match before the first byte: verbatim block whose only item is the
    // repeated offset 1 at position 0.
    Folder early = EncodeWithWriter(Compression::Lzx, 15, Bytes(100, 'a'));
    Bytes out;
    ASSERT_TRUE(DecodeFolder(early, out));
    early.blocks[0].size = 100;
    LzxBits bits;
    bits.Put(0, 1);
    bits.Put(1, 3);  // verbatim
    bits.Put(0, 16);
    bits.Put(100, 8);
    EXPECT_FALSE(DecodeFolder({early.type, {{bits.Take(), 100}}}, out));  // trees missing: input ends
    // A frame after a short frame, and frames over 32 KB.
    const Folder two = EncodeWithWriter(Compression::Lzx, 15, SampleData(Sample::Text, 40000, 1));
    Folder swapped = two;
    std::swap(swapped.blocks[0], swapped.blocks[1]);
    EXPECT_FALSE(DecodeFolder(swapped, out));
    auto stored = cab32::MakeFrameDecoder(0);
    Bytes big(32769);
    EXPECT_FALSE(stored->Decode(big, big));
}

// E8 translation: absolute targets inside the translation size become
// relative to the byte after the call; others and the last 10 bytes stay.
TEST(CallTranslation, UndoesAbsoluteTargets) {
    Bytes frame(32, 0x90);
    auto put = [&](std::size_t at, std::uint32_t v) {
        frame[at] = 0xE8;
        for (int i = 0; i < 4; ++i) frame[at + 1 + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(0, 1000);         // absolute 1000 at folder position 4096: relative 1000 - 4096
    put(5, 0xFFFFFFFF);   // -1: inside [-position, 0), becomes -1 + size
    put(10, 5000);        // at or past the size: kept
    put(23, 7);           // inside the last 10 bytes: kept
    cab32::UndoCallTranslation(frame, 4096, 5000);
    auto at = [&](std::size_t i) { return std::uint32_t(frame[i + 1] | frame[i + 2] << 8 | frame[i + 3] << 16 | frame[i + 4] << 24); };
    EXPECT_EQ(at(0), std::uint32_t(1000 - 4096));
    EXPECT_EQ(at(5), std::uint32_t(5000 - 1));
    EXPECT_EQ(at(10), 5000u);
    EXPECT_EQ(at(23), 7u);
}

}  // namespace
}  // namespace tarvik::testing
