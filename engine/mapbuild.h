// MapBuild: the rows of a map on their way into the network.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "data/tqlist.h"
#include "data/tqstring.h"
#include "engine/node.h"

// Each row is checked against the map's rules; an accepted row's link is appended to the
// network, and links that repeat an earlier one are dropped once all are in (Finish), so
// the network ends as if each row had been added with SfNodes::AddLink in turn. Every
// refused row's warning is handed out in row order.
//
// The links go to the network in blocks. With two threads a helper appends each block
// while the caller reads the next rows; the network must not be touched until Finish.
class MapBuild {
public:
    MapBuild(SfNodes& nodes, int threads);
    ~MapBuild();
    MapBuild(const MapBuild&) = delete;
    MapBuild& operator=(const MapBuild&) = delete;

    // Rows come in ascending row order (from 1).
    void AddRow(int row, std::string_view from, std::string_view to,
                std::string_view distanceText);
    // Appends the last links, drops the repeated ones and appends every warning (CP932) to
    // `warnings`. Rethrows what appending a block on the helper threw.
    void Finish(tqList<tqString>& warnings);

private:
    static constexpr size_t kBlockLinks = 4096;
    static constexpr size_t kBlocksWaiting = 4;  // ahead of the helper at most

    struct PendingLink {
        size_t offset;  // of the From name in the block's text, the To name right after it
        size_t fromLength;
        size_t toLength;
        int64_t distance;
    };
    struct Block {
        std::vector<PendingLink> links;
        std::string text;
    };

    void Refuse(int row, std::string text) { mRefused.emplace_back(row, std::move(text)); }
    // Hands the filled block to the helper, or appends it here without one.
    void Pass();
    void Append(const Block& block);
    void HelperLoop();
    // Lets the helper end once the blocks given are appended, and waits for it.
    void StopHelper();

    SfNodes& mNodes;
    Block mBlock;                                        // being filled
    std::vector<std::pair<int, std::string>> mRefused;  // by row: rows refused for their values
    std::vector<int> mLinkRows;                          // by appended link: its row

    std::mutex mMutex;
    std::condition_variable mChanged;
    std::deque<Block> mWaiting;
    bool mNoMoreBlocks = false;
    std::exception_ptr mHelperFailure;
    std::thread mHelper;
};
