// Quantum: streams from the test encoder must be read the same by
// cabextract (libmspack, an independent decoder) and by our decoder, at
// every window size the format allows.
#include <gtest/gtest.h>

#include "test_streams.h"

namespace tarvik::testing {
namespace {

class QuantumWindows : public ::testing::TestWithParam<int> {};

TEST_P(QuantumWindows, CabextractAndDecoderAgree) {
    // Long enough to wrap the smaller windows many times, with matches of
    // every selector (3, 4 and longer) and literals of all four groups.
    const Bytes data = SampleData(Sample::Mixed, GetParam() >= 18 ? 300000 : 110000, GetParam());
    EXPECT_EQ(DecodersDisagree(EncodeQuantum(GetParam(), data), data), "");
}

INSTANTIATE_TEST_SUITE_P(AllWindows, QuantumWindows, ::testing::Range(10, 22));

// Hand-made edges: a frame of one byte, and a payload with trailing zero
// bytes after the coder's end (writers leave up to four).
TEST(QuantumEdges, OneByteFrameAndTrailingZeros) {
    Folder folder = EncodeQuantum(12, Bytes{'Q'});
    folder.blocks[0].payload.insert(folder.blocks[0].payload.end(), 4, 0);
    EXPECT_EQ(DecodersDisagree(folder, Bytes{'Q'}), "");
}

}  // namespace
}  // namespace tarvik::testing
