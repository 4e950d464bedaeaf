#include "engine/mappiece.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "data/csvdialect.h"
#include "data/numbertext.h"
#include "engine/progress.h"

namespace {

constexpr size_t kPendingLinks = 256;
constexpr size_t kAhead = 8;             // links whose names are being fetched meanwhile
constexpr int32_t kToldEvery = 10;       // rows
constexpr uint64_t kLeastLinkBytes = 6;  // "A,B,1" and its LF

// The LF bytes among `size` bytes, counted eight at a time.
size_t CountLineEnds(const char* bytes, size_t size) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kLows = 0x7F7F7F7F7F7F7F7Fu;
    size_t count = 0;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        const uint64_t x = word ^ ('\n' * kOnes);            // a zero byte where an LF is
        const uint64_t nonzero = ((x & kLows) + kLows) | x;  // its high bit set unless zero
        // One bit per LF byte, summed by a multiplication into the top byte.
        count += static_cast<size_t>((((~nonzero & ~kLows) >> 7) * kOnes) >> 56);
    }
    for (; i < size; ++i) {
        count += bytes[i] == '\n' ? 1 : 0;
    }
    return count;
}

// The lines of a text: each LF ends one, and text after the last LF is one more.
int32_t LineCount(std::string_view text) {
    const bool open = !text.empty() && text.back() != '\n';
    return static_cast<int32_t>(CountLineEnds(text.data(), text.size())) + (open ? 1 : 0);
}

}  // namespace

void MapPiece::AddRow(int32_t row, std::string_view fromName, std::string_view toName,
                      std::string_view distanceText) {
    mLines = row;
    mAnyFields = true;
    Take(row, fromName, toName, distanceText, false);
}

void MapPiece::AddLines(std::string_view text, const MapColumns& columns,
                        const std::function<void(int32_t row, int32_t rows)>& told) {
    const int32_t rows = LineCount(text);
    Reserve(static_cast<size_t>(rows));
    ReadLines(text, columns, told, rows);
}

FileFailure MapPiece::AddFileLines(const textfile::FileAtOffsets& file, uint64_t begin,
                                   uint64_t end, const MapColumns& columns,
                                   const std::function<void(int32_t row, int32_t rows)>& told,
                                   const std::function<bool()>& stopAsked, size_t stretch) {
    // The progress of the rows needs their number: the lines are then counted first.
    int32_t rows = 0;
    if (told) {
        if (!CountFileLines(file, begin, end, stretch, rows)) {
            return FileFailure::Now(FileFailure::fdReading);
        }
        Reserve(static_cast<size_t>(rows));
    }
    bool reserved = static_cast<bool>(told);
    std::string text;  // the lines not yet read: an LF ends all but the last
    uint64_t reached = begin;
    auto take = [&](uint64_t at, std::string_view bytes) {
        reached = at + bytes.size();
        mEndOfText = !textfile::AppendText(bytes.data(), bytes.size(), text);
        if (!reserved) {
            // Room for as many links as the first stretch's lines foretell, and some more;
            // no more than a piece of this size can hold.
            const uint64_t read = at + bytes.size();
            const uint64_t known = std::max(std::min(end, file.Size()), read) - begin;
            const uint64_t seen = CountLineEnds(text.data(), text.size()) + 1;
            const uint64_t foretold = seen * known / bytes.size() / 8 * 9;
            Reserve(static_cast<size_t>(std::min(foretold, known / kLeastLinkBytes)));
            reserved = true;
        }
        const size_t lineEnd = text.rfind('\n');
        if (lineEnd != std::string::npos) {
            ReadLines(std::string_view(text).substr(0, lineEnd + 1), columns, told, rows);
            text.erase(0, lineEnd + 1);
        }
        if (stopAsked && stopAsked()) {
            throw WorkStopped{};
        }
        return !mEndOfText;
    };
    if (!file.ReadStretches(begin, end, stretch, take)) {
        return FileFailure::Now(FileFailure::fdReading);
    }
    // A piece with a later one (a bounded end) ending early: the file was cut while it was
    // read, and the later pieces may hold rows it lost. Only the last piece may stop at
    // the file's end.
    if (!mEndOfText && end != UINT64_MAX && reached < end) {
        return FileFailure::CutShort();
    }
    ReadLines(text, columns, told, rows);
    return {};
}

bool MapPiece::CountFileLines(const textfile::FileAtOffsets& file, uint64_t begin, uint64_t end,
                              size_t stretch, int32_t& rows) {
    rows = 0;
    bool lastOpen = false;  // text follows the last LF
    auto count = [&](uint64_t, std::string_view bytes) {
        const std::string_view text = bytes.substr(0, bytes.find(textfile::kEndOfFile));
        const size_t lineEnds = CountLineEnds(text.data(), text.size());
        rows += static_cast<int32_t>(lineEnds);
        const std::string_view tail = lineEnds > 0 ? text.substr(text.rfind('\n') + 1) : text;
        lastOpen =
            (lastOpen && lineEnds == 0) || tail.find_first_not_of('\r') != std::string_view::npos;
        return text.size() == bytes.size();  // a 0x1A byte ends the text
    };
    if (!file.ReadStretches(begin, end, stretch, count)) {
        return false;
    }
    rows += lastOpen ? 1 : 0;
    return true;
}

void MapPiece::Reserve(size_t count) {
    try {
        mFrom.reserve(mFrom.size() + count);
        mTo.reserve(mTo.size() + count);
        mDistance.reserve(mDistance.size() + count);
        // A road map names each node in four rows or more (both ends of its links, most
        // nodes having two links out or more): room for a quarter as many names as rows
        // spares the name index most of its growing, and the joining of the pieces' names
        // the growing of the first piece's index.
        mNames.Reserve(static_cast<int32_t>(std::min<size_t>(count / 4, INT32_MAX / 4)));
    } catch (const std::bad_alloc&) {  // room is a hint: without it the arrays grow as needed
    }
}

void MapPiece::ReadLines(std::string_view text, const MapColumns& columns,
                         const std::function<void(int32_t row, int32_t rows)>& told, int32_t rows) {
    const uint32_t lastColumn = std::max({columns.from, columns.to, columns.distance});
    // A line holding a quote or a NUL goes through the full split; the others are cut at
    // their commas where they stand.
    size_t nextQuote = text.find('"');
    size_t nextNul = text.find('\0');
    std::vector<std::string> fields;
    auto field = [&fields](uint32_t column) -> std::string_view {
        return column <= fields.size() ? std::string_view(fields[column - 1]) : std::string_view();
    };
    mPending.reserve(kPendingLinks);
    for (size_t begin = 0; begin < text.size();) {
        const size_t end = std::min(text.find('\n', begin), text.size());
        const std::string_view line = text.substr(begin, end - begin);
        const int32_t row = ++mLines;
        if (row % kToldEvery == 0 && told) {
            told(row, rows);
        }
        begin = end + 1;
        const bool plain = nextQuote >= end && nextNul >= end;
        if (!plain) {
            csv::SplitCsvLine(line, fields);
            nextQuote = nextQuote < end ? text.find('"', end) : nextQuote;
            nextNul = nextNul < end ? text.find('\0', end) : nextNul;
        }
        if (plain ? line.empty() : fields.empty()) {
            ++mTrailingEmpty;
            continue;
        }
        for (; mTrailingEmpty > 0; --mTrailingEmpty) {
            mRefused.emplace_back(row - mTrailingEmpty, rfEmptyName);
        }
        mAnyFields = true;
        if (!plain) {
            Take(row, field(columns.from), field(columns.to), field(columns.distance), false);
            continue;
        }
        std::string_view cells[3];  // From, To, distance
        std::string_view rest = line;
        for (uint32_t column = 1;; ++column) {
            const size_t comma = rest.find(',');
            const std::string_view cell = rest.substr(0, comma);
            cells[0] = column == columns.from ? cell : cells[0];
            cells[1] = column == columns.to ? cell : cells[1];
            cells[2] = column == columns.distance ? cell : cells[2];
            if (comma == std::string_view::npos || column == lastColumn) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
        Take(row, cells[0], cells[1], cells[2], true);
    }
    LookUpPending();
}

void MapPiece::Take(int32_t row, std::string_view fromName, std::string_view toName,
                    std::string_view distanceText, bool lasting) {
    int64_t linkDistance = 0;
    if (const std::optional<MapRowRefusal> refusal =
            RefusalOfMapRow(fromName, toName, distanceText, linkDistance)) {
        mRefused.emplace_back(row, *refusal);
    } else if (lasting) {
        Pending link{fromName, toName, 0, 0, linkDistance, rpNone, rpNone};
        if (!mPending.empty()) {
            const Pending& before = mPending.back();
            auto repeats = [&before](std::string_view name) {
                return SfNodeNames::Same(name, before.from) ? rpFrom
                       : SfNodeNames::Same(name, before.to) ? rpTo
                                                            : rpNone;
            };
            link.fromRepeats = repeats(fromName);
            link.toRepeats = repeats(toName);
        }
        link.fromHash = link.fromRepeats == rpNone ? SfNodeNames::Hash(fromName) : 0;
        link.toHash = link.toRepeats == rpNone ? SfNodeNames::Hash(toName) : 0;
        mPending.push_back(link);
        if (mPending.size() == kPendingLinks) {
            LookUpPending();
        }
    } else {
        LookUpPending();  // names are numbered in row order
        const int32_t fromId = mNames.FindOrAdd(fromName);
        Keep(fromId, mNames.FindOrAdd(toName), linkDistance);
    }
}

void MapPiece::MoveLinks(const std::vector<int32_t>* ids, int32_t* from, int32_t* to,
                         int64_t* distance) {
    if (ids == nullptr) {
        std::copy(mFrom.begin(), mFrom.end(), from);
        std::copy(mTo.begin(), mTo.end(), to);
    } else {
        for (size_t i = 0; i < mFrom.size(); ++i) {
            from[i] = (*ids)[mFrom[i]];
            to[i] = (*ids)[mTo[i]];
        }
    }
    std::copy(mDistance.begin(), mDistance.end(), distance);
    std::vector<int32_t>().swap(mFrom);
    std::vector<int32_t>().swap(mTo);
    std::vector<int64_t>().swap(mDistance);
}

void MapPiece::EndLines(bool rowsFollow) {
    for (int32_t row = mLines - mTrailingEmpty + 1; rowsFollow && row <= mLines; ++row) {
        mRefused.emplace_back(row, rfEmptyName);
    }
    mTrailingEmpty = 0;
}

int32_t MapPiece::RowOfLink(size_t link) const {
    // Refused row j stands before the link's row exactly when its row less the j refused
    // rows before it is at most link + 1; that difference never falls as j grows.
    const auto linkRow = static_cast<int64_t>(link) + 1;
    size_t low = 0;
    size_t high = mRefused.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (mRefused[middle].first - static_cast<int64_t>(middle) <= linkRow) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return static_cast<int32_t>(linkRow + static_cast<int64_t>(low));
}

void MapPiece::Keep(int32_t fromId, int32_t toId, int64_t linkDistance) {
    mFrom.push_back(fromId);
    mTo.push_back(toId);
    mDistance.push_back(linkDistance);
}

void MapPiece::LookUpPending() {
    int32_t before[3] = {};  // by Repeat: the ids of the link before
    for (size_t i = 0; i < mPending.size(); ++i) {
        if (i + kAhead < mPending.size()) {
            const Pending& ahead = mPending[i + kAhead];
            if (ahead.fromRepeats == rpNone) {
                mNames.Prefetch(ahead.fromHash);
            }
            if (ahead.toRepeats == rpNone) {
                mNames.Prefetch(ahead.toHash);
            }
        }
        const Pending& link = mPending[i];
        const int32_t fromId = link.fromRepeats == rpNone
                                   ? mNames.FindOrAdd(link.from, link.fromHash)
                                   : before[link.fromRepeats];
        const int32_t toId = link.toRepeats == rpNone ? mNames.FindOrAdd(link.to, link.toHash)
                                                      : before[link.toRepeats];
        Keep(fromId, toId, link.distance);
        before[rpFrom] = fromId;
        before[rpTo] = toId;
    }
    mPending.clear();
}
