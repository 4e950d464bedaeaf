#include "engine/mapbuild.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "data/formattext.h"
#include "data/systemtext.h"
#include "engine/progress.h"
#include "engine/warnings.h"
#include "platform/helperthreads.h"

namespace {

// More pieces cost more to join than they save: every piece may name every node.
constexpr int kMostPieces = 4;
constexpr size_t kLeastPieceBytes = 64;
constexpr size_t kAhead = 8;  // names whose memory is being fetched meanwhile

std::string RefusalText(MapPiece::Refusal why, int row) {
    switch (why) {
        case rfEmptyName:
            return FormatText(SystemText("[%04d]行:From及びToのノード名称は空白に出来ません。"),
                              row);
        case rfSameName:
            return FormatText(SystemText("[%04d]行:From及びToのノード名称は同一には出来ません。"),
                              row);
        case rfZeroDistance:
            break;
    }
    return FormatText(SystemText("[%04d]行:ノード間距離(Dist)は０に出来ません。"), row);
}

}  // namespace

MapBuild::MapBuild(SfNodes& nodes, int threads, std::function<bool()> stopAsked)
    : mNodes(nodes), mThreads(std::max(threads, 1)), mStopAsked(std::move(stopAsked)) {}

void MapBuild::EndIfStopped() const {
    if (mStopAsked && mStopAsked()) {
        throw WorkStopped{};
    }
}

void MapBuild::AddRow(int row, std::string_view from, std::string_view to,
                      std::string_view distanceText) {
    if (mPieces.empty()) {
        mPieces.emplace_back();
    }
    mPieces.back().AddRow(row, from, to, distanceText);
}

void MapBuild::AddLines(std::string_view text, const MapColumns& columns,
                        const std::function<void(int32_t row, int32_t rows)>& told) {
    const size_t count = PieceCount(text.size());
    std::vector<size_t> cut(count + 1, text.size());  // piece k: [cut[k], cut[k + 1])
    cut[0] = 0;
    for (size_t k = 1; k < count; ++k) {
        const size_t lineEnd = text.find('\n', text.size() / count * k);
        cut[k] =
            std::max(cut[k - 1], lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
    }
    mPieces.resize(count);
    RunSideBySide(mPieces.size(), mThreads, [&](size_t k) {
        const std::string_view piece = text.substr(cut[k], cut[k + 1] - cut[k]);
        mPieces[k].AddLines(piece, columns, k == 0 ? told : nullptr);
    });
}

FileFailure MapBuild::AddFile(const textfile::FileAtOffsets& file, uint64_t begin,
                              const MapColumns& columns,
                              const std::function<void(int32_t row, int32_t rows)>& told,
                              size_t stretch) {
    // The size the file had when opened shares the work out; the last piece reads on to
    // the file's end, wherever that is by then.
    const uint64_t end = std::max(file.Size(), begin);
    const size_t count = PieceCount(end - begin);
    std::vector<uint64_t> cut(count + 1, end);  // piece k: bytes [cut[k], cut[k + 1])
    cut[0] = begin;
    cut[count] = UINT64_MAX;
    for (size_t k = 1; k < count; ++k) {
        // From the byte after the first LF at or after its share's start.
        auto findLineEnd = [&cut, k](uint64_t at, std::string_view bytes) {
            const size_t lineEnd = bytes.find('\n');
            if (lineEnd != std::string_view::npos) {
                cut[k] = at + lineEnd + 1;
            }
            return lineEnd == std::string_view::npos;
        };
        const uint64_t shareStart = std::max(cut[k - 1], begin + (end - begin) / count * k);
        if (!file.ReadStretches(shareStart, end, stretch, findLineEnd)) {
            return FileFailure::Now(FileFailure::fdReading);
        }
    }
    mPieces.resize(count);
    std::vector<FileFailure> failures(count);  // by piece
    RunSideBySide(mPieces.size(), mThreads, [&](size_t k) {
        failures[k] = mPieces[k].AddFileLines(file, cut[k], cut[k + 1], columns,
                                              k == 0 ? told : nullptr, mStopAsked, stretch);
    });
    for (const FileFailure& failure : failures) {
        if (failure) {
            return failure;
        }
    }
    // The text ends at the first 0x1A byte: the pieces after it hold no rows.
    for (size_t k = 0; k < mPieces.size(); ++k) {
        if (mPieces[k].EndsText()) {
            mPieces.resize(k + 1);
        }
    }
    return {};
}

size_t MapBuild::PieceCount(uint64_t bytes) const {
    return std::clamp<size_t>(static_cast<size_t>(bytes / kLeastPieceBytes), 1,
                              static_cast<size_t>(std::min(mThreads, kMostPieces)));
}

void MapBuild::Finish(tqList<tqString>& warnings) {
    if (mPieces.empty()) {
        mPieces.emplace_back();
    }
    // The lines without fields at a piece's end are rows when a later piece has a row.
    bool rowsFollow = false;
    for (size_t k = mPieces.size(); k-- > 0;) {
        mPieces[k].EndLines(rowsFollow);
        rowsFollow = rowsFollow || mPieces[k].HasFields();
    }
    std::vector<size_t> firstLink(mPieces.size() + 1, 0);  // piece k: [firstLink[k], [k + 1])
    for (size_t k = 0; k < mPieces.size(); ++k) {
        firstLink[k + 1] = firstLink[k] + mPieces[k].Links();
    }
    EndIfStopped();
    JoinLinks(firstLink);
    EndIfStopped();
    const std::vector<SfNodes::RepeatedLink> repeated =
        mNodes.DropRepeatedLinks(mThreads, [this] { EndIfStopped(); });
    EndIfStopped();
    Warn(repeated, firstLink, warnings);
    mPieces.clear();
}

void MapBuild::JoinLinks(const std::vector<size_t>& firstLink) {
    SfNodeNames names = mPieces[0].TakeNames();
    std::vector<std::vector<int32_t>> ids;
    const size_t links = firstLink.back();
    std::vector<int32_t> from;
    std::vector<int32_t> to;
    std::vector<int64_t> distance;
    // The first piece's links keep their ids: they are moved while the names are numbered.
    RunSideBySide(2, mThreads, [&](size_t task) {
        if (task == 0) {
            ids = NumberNames(names);
            names.Fit();  // the network keeps no room made for names that never came
            return;
        }
        from.resize(links);
        to.resize(links);
        distance.resize(links);
        mPieces[0].MoveLinks(nullptr, from.data(), to.data(), distance.data());
    });
    EndIfStopped();
    RunSideBySide(mPieces.size(), mThreads, [&](size_t k) {
        if (k > 0) {
            const size_t at = firstLink[k];
            mPieces[k].MoveLinks(&ids[k], from.data() + at, to.data() + at, distance.data() + at);
        }
    });
    mNodes.SetLinks(std::move(names), std::move(from), std::move(to), std::move(distance));
}

void MapBuild::Warn(const std::vector<SfNodes::RepeatedLink>& repeated,
                    const std::vector<size_t>& firstLink, tqList<tqString>& warnings) const {
    std::vector<int32_t> rowsBefore(mPieces.size(), 0);  // by piece
    for (size_t k = 1; k < mPieces.size(); ++k) {
        rowsBefore[k] = rowsBefore[k - 1] + mPieces[k - 1].Rows();
    }
    std::vector<int32_t> repeatedRows(repeated.size());  // the links come in map order
    for (size_t j = 0, k = 0; j < repeated.size(); ++j) {
        while (repeated[j].position >= firstLink[k + 1]) {
            ++k;
        }
        repeatedRows[j] = rowsBefore[k] + mPieces[k].RowOfLink(repeated[j].position - firstLink[k]);
    }
    auto warn = [&warnings](const std::string& text) { RSIF::AddWarning(warnings, text); };
    size_t next = 0;
    auto warnRepeatsBefore = [&](int row) {
        for (; next < repeated.size() && repeatedRows[next] < row; ++next) {
            warn(FormatText(
                SystemText("[%04d]行:From[%s]-To[%s]のノード間リンクは既に定義されています。"),
                repeatedRows[next], std::string(mNodes.NodeName(repeated[next].from)).c_str(),
                std::string(mNodes.NodeName(repeated[next].to)).c_str()));
        }
    };
    for (size_t k = 0; k < mPieces.size(); ++k) {
        for (const auto& [row, why] : mPieces[k].RefusedRows()) {
            warnRepeatsBefore(row + rowsBefore[k]);
            warn(RefusalText(why, row + rowsBefore[k]));
        }
    }
    warnRepeatsBefore(INT32_MAX);
}

std::vector<std::vector<int32_t>> MapBuild::NumberNames(SfNodeNames& names) {
    // A piece's names come in the order it first named them, and the pieces in row order:
    // looking them up in that order numbers every name by its first row in the map.
    std::vector<std::vector<int32_t>> ids(mPieces.size());
    std::vector<uint64_t> hashes;
    for (size_t k = 1; k < mPieces.size(); ++k) {
        const SfNodeNames& own = mPieces[k].Names();
        hashes.resize(static_cast<size_t>(own.Count()));
        for (size_t id = 0; id < hashes.size(); ++id) {
            hashes[id] = SfNodeNames::Hash(own.Get(static_cast<int32_t>(id)));
        }
        ids[k].resize(hashes.size());
        for (size_t id = 0; id < hashes.size(); ++id) {
            if (id + kAhead < hashes.size()) {
                names.Prefetch(hashes[id + kAhead]);
            }
            ids[k][id] = names.FindOrAdd(own.Get(static_cast<int32_t>(id)), hashes[id]);
        }
        mPieces[k].ForgetNames();
    }
    return ids;
}
