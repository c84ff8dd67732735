#include "huffman.h"

#include <algorithm>
#include <array>
#include <queue>

namespace cab32 {
namespace {

constexpr int kDeepest = 64;

// Depth of every leaf in an unlimited Huffman tree over `order` (symbols).
std::vector<int> UnlimitedDepths(std::span<const std::uint32_t> frequencies,
                                 const std::vector<int>& order) {
    struct Node { std::uint64_t weight; int index; };
    auto heavier = [](const Node& a, const Node& b) {
        return a.weight != b.weight ? a.weight > b.weight : a.index > b.index;
    };
    const int leaves = static_cast<int>(order.size());
    std::vector<Node> storage;
    storage.reserve(static_cast<std::size_t>(leaves));
    std::priority_queue<Node, std::vector<Node>, decltype(heavier)> queue(heavier, std::move(storage));
    std::vector<int> parent(2 * leaves, -1);
    for (int i = 0; i < leaves; ++i) queue.push({frequencies[order[i]], i});
    int next = leaves;
    while (queue.size() > 1) {
        const Node a = queue.top(); queue.pop();
        const Node b = queue.top(); queue.pop();
        parent[a.index] = next;
        parent[b.index] = next;
        queue.push({a.weight + b.weight, next++});
    }
    std::vector<int> depth(next, 0);
    for (int node = next - 2; node >= 0; --node) depth[node] = depth[parent[node]] + 1;
    depth.resize(leaves);
    return depth;
}

// Moves codes down from the levels above `maxLength` until the lengths
// again describe a complete code.
void LimitLengthCounts(std::array<int, kDeepest + 1>& countOfLength, int maxLength) {
    for (int len = maxLength + 1; len <= kDeepest; ++len) {
        countOfLength[maxLength] += countOfLength[len];
        countOfLength[len] = 0;
    }
    std::uint64_t total = 0;
    for (int len = 1; len <= maxLength; ++len)
        total += static_cast<std::uint64_t>(countOfLength[len]) << (maxLength - len);
    while (total != (std::uint64_t{1} << maxLength)) {
        --countOfLength[maxLength];
        for (int len = maxLength - 1; len > 0; --len) {
            if (countOfLength[len] != 0) {
                --countOfLength[len];
                countOfLength[len + 1] += 2;
                break;
            }
        }
        --total;
    }
}

}  // namespace

std::vector<std::uint8_t> BuildCodeLengths(std::span<const std::uint32_t> frequencies, int maxLength) {
    // Few allocations: several worker threads build codes at once, and the
    // process's one heap has one lock.
    const int symbols = static_cast<int>(frequencies.size());
    std::vector<std::uint8_t> lengths(symbols, 0);
    std::vector<int> used;
    used.reserve(static_cast<std::size_t>(symbols));
    for (int s = 0; s < symbols; ++s)
        if (frequencies[s] != 0) used.push_back(s);
    if (used.size() < 2) {
        const int first = used.empty() ? 0 : used[0];
        lengths[first] = 1;
        lengths[first == 0 ? 1 : 0] = 1;
        return lengths;
    }
    // Most frequent first, so that the shortest codes go to them; equal
    // ones in symbol order.
    std::sort(used.begin(), used.end(), [&](int a, int b) {
        return frequencies[a] != frequencies[b] ? frequencies[a] > frequencies[b] : a < b;
    });
    const std::vector<int> depth = UnlimitedDepths(frequencies, used);
    std::array<int, kDeepest + 1> countOfLength{};
    for (int d : depth) ++countOfLength[std::min(d, kDeepest)];
    LimitLengthCounts(countOfLength, maxLength);
    std::size_t next = 0;
    for (int len = 1; len <= maxLength; ++len)
        for (int n = 0; n < countOfLength[len]; ++n) lengths[used[next++]] = static_cast<std::uint8_t>(len);
    return lengths;
}

std::vector<std::uint16_t> CanonicalCodes(std::span<const std::uint8_t> lengths) {
    int countOfLength[33] = {};
    for (std::uint8_t len : lengths) ++countOfLength[len];
    countOfLength[0] = 0;
    std::uint32_t nextCode[33] = {};
    std::uint32_t code = 0;
    for (int len = 1; len <= 32; ++len) {
        code = (code + countOfLength[len - 1]) << 1;
        nextCode[len] = code;
    }
    std::vector<std::uint16_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] != 0) codes[s] = static_cast<std::uint16_t>(nextCode[lengths[s]]++);
    return codes;
}

}  // namespace cab32
