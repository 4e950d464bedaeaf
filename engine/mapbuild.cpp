#include "engine/mapbuild.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "data/formattext.h"
#include "data/systemtext.h"
#include "platform/helperthreads.h"

namespace {

// More pieces cost more to join than they save: every piece may name every node.
constexpr int kMostPieces = 4;
constexpr size_t kLeastPieceBytes = 64;
constexpr size_t kAhead = 8;  // names whose memory is being fetched meanwhile

std::string RefusalText(MapPiece::Refusal why, int row) {
    switch (why) {
        case MapPiece::rfEmptyName:
            return FormatText(SystemText("[%04d]行:From及びToのノード名称は空白に出来ません。"),
                              row);
        case MapPiece::rfSameName:
            return FormatText(SystemText("[%04d]行:From及びToのノード名称は同一には出来ません。"),
                              row);
        case MapPiece::rfZeroDistance:
            break;
    }
    return FormatText(SystemText("[%04d]行:ノード間距離(Dist)は０に出来ません。"), row);
}

}  // namespace

MapBuild::MapBuild(SfNodes& nodes, int threads) : mNodes(nodes), mThreads(std::max(threads, 1)) {}

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

bool MapBuild::AddFile(const textfile::FileAtOffsets& file, uint64_t begin,
                       const MapColumns& columns,
                       const std::function<void(int32_t row, int32_t rows)>& told, size_t stretch) {
    // The size the file had when opened shares the work out; the last piece reads on to
    // the file's end, wherever that is by then.
    const uint64_t end = std::max(file.Size(), begin);
    const size_t count = PieceCount(end - begin);
    std::vector<uint64_t> cut(count + 1, end);  // piece k: bytes [cut[k], cut[k + 1])
    cut[0] = begin;
    cut[count] = UINT64_MAX;
    std::vector<char> bytes(stretch);
    for (size_t k = 1; k < count; ++k) {
        // From the byte after the first LF at or after its share's start.
        uint64_t at = std::max(cut[k - 1], begin + (end - begin) / count * k);
        for (cut[k] = end; at < end;) {
            const int64_t got = file.ReadAt(at, bytes.data(), stretch);
            if (got < 0) {
                return false;
            }
            const void* lineEnd = std::memchr(bytes.data(), '\n', static_cast<size_t>(got));
            if (got == 0 || lineEnd != nullptr) {
                cut[k] = got == 0 ? end
                                  : at +
                                        static_cast<uint64_t>(static_cast<const char*>(lineEnd) -
                                                              bytes.data()) +
                                        1;
                break;
            }
            at += static_cast<uint64_t>(got);
        }
    }
    mPieces.resize(count);
    std::vector<int> failures(count, -1);  // by piece: errno of a failed read
    RunSideBySide(mPieces.size(), mThreads, [&](size_t k) {
        if (!mPieces[k].AddFileLines(file, cut[k], cut[k + 1], columns, k == 0 ? told : nullptr,
                                     stretch)) {
            failures[k] = errno;
        }
    });
    for (const int failure : failures) {
        if (failure != -1) {
            errno = failure;
            return false;
        }
    }
    // The text ends at the first 0x1A byte: the pieces after it hold no rows.
    for (size_t k = 0; k < mPieces.size(); ++k) {
        if (mPieces[k].endOfText) {
            mPieces.resize(k + 1);
        }
    }
    return true;
}

size_t MapBuild::PieceCount(uint64_t bytes) const {
    return std::clamp<size_t>(static_cast<size_t>(bytes / kLeastPieceBytes), 1,
                              static_cast<size_t>(std::min(mThreads, kMostPieces)));
}

void MapBuild::Finish(tqList<tqString>& warnings) {
    if (mPieces.empty()) {
        mPieces.emplace_back();
    }
    RefuseEmptyLinesBeforeRows();
    std::vector<int32_t> rowOffset(mPieces.size(), 0);  // by piece: rows before it
    std::vector<size_t> linkOffset(mPieces.size() + 1, 0);
    for (size_t k = 0; k < mPieces.size(); ++k) {
        if (k > 0) {
            rowOffset[k] = rowOffset[k - 1] + mPieces[k - 1].lines;
        }
        linkOffset[k + 1] = linkOffset[k] + mPieces[k].from.size();
    }
    SfNodeNames names = std::move(mPieces[0].names);
    std::vector<std::vector<int32_t>> ids;
    const size_t links = linkOffset.back();
    std::vector<int32_t> from;
    std::vector<int32_t> to;
    std::vector<int64_t> distance;
    // The first piece's links keep their ids: they are moved while the names are numbered.
    RunSideBySide(2, mThreads, [&](size_t task) {
        if (task == 0) {
            ids = NumberNames(names);
            return;
        }
        from.resize(links);
        to.resize(links);
        distance.resize(links);
        MapPiece& first = mPieces[0];
        std::copy(first.from.begin(), first.from.end(), from.begin());
        std::copy(first.to.begin(), first.to.end(), to.begin());
        std::copy(first.distance.begin(), first.distance.end(), distance.begin());
        first.ForgetLinks();
    });
    RunSideBySide(mPieces.size(), mThreads, [&](size_t k) {
        if (k == 0) {
            return;
        }
        MapPiece& piece = mPieces[k];
        const size_t at = linkOffset[k];
        for (size_t i = 0; i < piece.from.size(); ++i) {
            from[at + i] = ids[k][piece.from[i]];
            to[at + i] = ids[k][piece.to[i]];
        }
        std::copy(piece.distance.begin(), piece.distance.end(), distance.begin() + at);
        piece.ForgetLinks();
    });
    mNodes.SetLinks(std::move(names), std::move(from), std::move(to), std::move(distance));

    auto warn = [&warnings](const std::string& text) {
        warnings.Add(std::make_unique<tqString>(text.c_str()));
    };
    const std::vector<SfNodes::RepeatedLink> repeated = mNodes.DropRepeatedLinks(mThreads);
    // A piece's rows are its links, in order, and its refused rows: link i of a piece is row
    // i + 1 with the refused rows before it added.
    std::vector<int32_t> repeatedRows(repeated.size());
    for (size_t j = 0, k = 0, before = 0; j < repeated.size(); ++j) {
        for (; repeated[j].position >= linkOffset[k + 1]; ++k) {
            before = 0;
        }
        const std::vector<std::pair<int32_t, MapPiece::Refusal>>& refused = mPieces[k].refused;
        const auto link = static_cast<int32_t>(repeated[j].position - linkOffset[k]);
        for (; before < refused.size() &&
               refused[before].first <= link + 1 + static_cast<int32_t>(before);
             ++before) {
        }
        repeatedRows[j] = rowOffset[k] + link + 1 + static_cast<int32_t>(before);
    }
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
        for (const auto& [row, why] : mPieces[k].refused) {
            warnRepeatsBefore(row + rowOffset[k]);
            warn(RefusalText(why, row + rowOffset[k]));
        }
    }
    warnRepeatsBefore(INT32_MAX);
    mPieces.clear();
}

std::vector<std::vector<int32_t>> MapBuild::NumberNames(SfNodeNames& names) {
    // A piece's names come in the order it first named them, and the pieces in row order:
    // looking them up in that order numbers every name by its first row in the map.
    std::vector<std::vector<int32_t>> ids(mPieces.size());
    std::vector<uint64_t> hashes;
    for (size_t k = 1; k < mPieces.size(); ++k) {
        const SfNodeNames& own = mPieces[k].names;
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
        mPieces[k].names.Clear();
    }
    return ids;
}

void MapBuild::RefuseEmptyLinesBeforeRows() {
    bool rowsFollow = false;
    for (size_t k = mPieces.size(); k-- > 0;) {
        MapPiece& piece = mPieces[k];
        for (int32_t row = piece.lines - piece.trailingEmpty + 1; rowsFollow && row <= piece.lines;
             ++row) {
            piece.refused.emplace_back(row, MapPiece::rfEmptyName);
        }
        piece.trailingEmpty = 0;
        rowsFollow = rowsFollow || piece.anyFields;
    }
}
