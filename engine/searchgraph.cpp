#include "engine/searchgraph.h"

#include <cstddef>

#include "platform/helperthreads.h"

namespace {

// Turns counts per position into start offsets (one more entry than counts).
std::vector<uint32_t> Starts(const std::vector<uint32_t>& counts) {
    std::vector<uint32_t> start(counts.size() + 1, 0);
    for (size_t p = 0; p < counts.size(); ++p) {
        start[p + 1] = start[p] + counts[p];
    }
    return start;
}

// Arcs grouped by `key`, each group in row order, pointing at `other` (positions both).
void Group(size_t count, const std::vector<int32_t>& key, const std::vector<int32_t>& other,
           const std::vector<int64_t>& distance, std::vector<uint32_t>& start,
           std::vector<SfArc>& arcs) {
    std::vector<uint32_t> counts(count, 0);
    for (int32_t p : key) {
        ++counts[p];
    }
    start = Starts(counts);
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    arcs.resize(key.size());  // often made beforehand: see MakeRoom
    for (size_t i = 0; i < key.size(); ++i) {
        arcs[next[key[i]]++] = SfArc{distance[i], other[i]};
    }
}

// Runs a and b, side by side when there are threads to spare.
template <typename A, typename B>
void Together(int threads, const A& a, const B& b) {
    RunSideBySide(2, threads, [&](size_t task) { task == 0 ? a() : b(); });
}

}  // namespace

void SfSearchGraph::Build(int32_t nodeCount, std::vector<int32_t> from, std::vector<int32_t> to,
                          const std::vector<int64_t>& distance, int threads,
                          const std::function<void()>& between) {
    const auto step = [&between] {
        if (between) {
            between();
        }
    };
    if (!mNumbered || position.size() != static_cast<size_t>(nodeCount)) {
        Number(nodeCount, from, to, between);
    }
    mNumbered = false;
    // The links' ends become positions once, for both groupings to read in order.
    auto toPositions = [this](std::vector<int32_t>& ends) {
        for (int32_t& end : ends) {
            end = position[end];
        }
    };
    Together(
        threads, [&] { toPositions(from); }, [&] { toPositions(to); });
    step();
    const auto count = static_cast<size_t>(nodeCount);
    Together(
        threads, [&] { Group(count, from, to, distance, outStart, outArcs); },
        [&] { Group(count, to, from, distance, inStart, inArcs); });
}

void SfSearchGraph::Number(int32_t nodeCount, const std::vector<int32_t>& from,
                           const std::vector<int32_t>& to, const std::function<void()>& between) {
    position.assign(nodeCount, -1);
    nodeAt.clear();
    nodeAt.reserve(nodeCount);
    NumberBreadthFirst(from, to, between);
    mNumbered = true;
}

void SfSearchGraph::MakeRoom(size_t links) {
    outArcs.resize(links);
    inArcs.resize(links);
}

void SfSearchGraph::Clear() {
    mNumbered = false;
    deepest = 0;
    std::vector<int32_t>().swap(position);
    std::vector<int32_t>().swap(nodeAt);
    std::vector<uint32_t>().swap(outStart);
    std::vector<SfArc>().swap(outArcs);
    std::vector<uint32_t>().swap(inStart);
    std::vector<SfArc>().swap(inArcs);
}

// Breadth-first over the links taken both ways, from each node not yet numbered in id
// order, so that every component gets consecutive positions.
void SfSearchGraph::NumberBreadthFirst(const std::vector<int32_t>& from,
                                       const std::vector<int32_t>& to,
                                       const std::function<void()>& between) {
    constexpr size_t kNodesBetween = size_t{1} << 16;
    const auto step = [&between] {
        if (between) {
            between();
        }
    };
    const auto nodeCount = static_cast<int32_t>(position.size());
    std::vector<uint32_t> degree(nodeCount, 0);
    for (size_t i = 0; i < from.size(); ++i) {
        ++degree[from[i]];
        ++degree[to[i]];
    }
    step();
    const std::vector<uint32_t> start = Starts(degree);
    std::vector<int32_t> neighbour(start.back());
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for (size_t i = 0; i < from.size(); ++i) {
        neighbour[next[from[i]]++] = to[i];
        neighbour[next[to[i]]++] = from[i];
    }
    step();
    size_t largest = 0;
    for (int32_t root = 0; root < nodeCount; ++root) {
        if (position[root] >= 0) {
            continue;
        }
        const size_t first = nodeAt.size();
        size_t head = first;
        position[root] = static_cast<int32_t>(nodeAt.size());
        nodeAt.push_back(root);
        for (; head < nodeAt.size(); ++head) {
            if (head % kNodesBetween == 0) {
                step();
            }
            const int32_t u = nodeAt[head];
            for (uint32_t k = start[u]; k < start[u + 1]; ++k) {
                const int32_t v = neighbour[k];
                if (position[v] < 0) {
                    position[v] = static_cast<int32_t>(nodeAt.size());
                    nodeAt.push_back(v);
                }
            }
        }
        if (nodeAt.size() - first > largest) {
            largest = nodeAt.size() - first;
            deepest = static_cast<int32_t>(nodeAt.size() - 1);
        }
    }
}
