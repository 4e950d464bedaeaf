#include "engine/mapbuild.h"

#include "data/formattext.h"
#include "data/numbertext.h"
#include "data/systemtext.h"

MapBuild::MapBuild(SfNodes& nodes, int threads) : mNodes(nodes) {
    if (threads > 1) {
        mHelper = std::thread([this] { HelperLoop(); });
    }
}

MapBuild::~MapBuild() { StopHelper(); }

void MapBuild::AddRow(int row, std::string_view from, std::string_view to,
                      std::string_view distanceText) {
    const int64_t distance = ReadLeadingInteger(distanceText);
    if (from.empty() || to.empty()) {
        Refuse(row,
               FormatText(SystemText("[%04d]行:From及びToのノード名称は空白に出来ません。"), row));
    } else if (from == to) {
        Refuse(row,
               FormatText(SystemText("[%04d]行:From及びToのノード名称は同一には出来ません。"), row));
    } else if (distance == 0) {
        Refuse(row, FormatText(SystemText("[%04d]行:ノード間距離(Dist)は０に出来ません。"), row));
    } else {
        mBlock.links.push_back({mBlock.text.size(), from.size(), to.size(), distance});
        mBlock.text.append(from).append(to);
        mLinkRows.push_back(row);
        if (mBlock.links.size() == kBlockLinks) {
            Pass();
        }
    }
}

void MapBuild::Finish(tqList<tqString>& warnings) {
    Pass();
    StopHelper();
    if (mHelperFailure) {
        std::rethrow_exception(mHelperFailure);
    }
    const std::vector<SfNodes::RepeatedLink> repeated = mNodes.DropRepeatedLinks();
    auto refused = mRefused.begin();
    auto warn = [&warnings](const std::string& text) {
        warnings.Add(std::make_unique<tqString>(text.c_str()));
    };
    for (const SfNodes::RepeatedLink& link : repeated) {
        const int row = mLinkRows[link.position];
        for (; refused != mRefused.end() && refused->first < row; ++refused) {
            warn(refused->second);
        }
        warn(FormatText(
            SystemText("[%04d]行:From[%s]-To[%s]のノード間リンクは既に定義されています。"), row,
            std::string(mNodes.NodeName(link.from)).c_str(),
            std::string(mNodes.NodeName(link.to)).c_str()));
    }
    for (; refused != mRefused.end(); ++refused) {
        warn(refused->second);
    }
}

void MapBuild::Pass() {
    if (!mHelper.joinable()) {
        Append(mBlock);
        mBlock.links.clear();
        mBlock.text.clear();
        return;
    }
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return mWaiting.size() < kBlocksWaiting; });
    mWaiting.push_back(std::move(mBlock));
    mBlock = {};
    mChanged.notify_all();
}

void MapBuild::Append(const Block& block) {
    std::vector<SfNodes::LinkText> links;
    links.reserve(block.links.size());
    const std::string_view text(block.text);
    for (const PendingLink& link : block.links) {
        links.push_back({text.substr(link.offset, link.fromLength),
                         text.substr(link.offset + link.fromLength, link.toLength),
                         link.distance});
    }
    mNodes.AppendLinks(links);
}

void MapBuild::HelperLoop() {
    std::unique_lock lock(mMutex);
    for (;;) {
        mChanged.wait(lock, [this] { return !mWaiting.empty() || mNoMoreBlocks; });
        if (mWaiting.empty()) {
            return;
        }
        Block block = std::move(mWaiting.front());
        mWaiting.pop_front();
        mChanged.notify_all();
        if (mHelperFailure) {
            continue;  // the build has failed: the rest is only taken off the queue
        }
        lock.unlock();
        try {
            Append(block);
        } catch (...) {
            lock.lock();
            mHelperFailure = std::current_exception();
            continue;
        }
        lock.lock();
    }
}

void MapBuild::StopHelper() {
    if (!mHelper.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mMutex);
        mNoMoreBlocks = true;
    }
    mChanged.notify_all();
    mHelper.join();
}
