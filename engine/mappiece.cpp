#include "engine/mappiece.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "data/csvdialect.h"
#include "data/numbertext.h"

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
    lines = row;
    anyFields = true;
    Take(row, fromName, toName, distanceText, false);
}

void MapPiece::AddLines(std::string_view text, const MapColumns& columns,
                        const std::function<void(int32_t row, int32_t rows)>& told) {
    const int32_t rows = LineCount(text);
    Reserve(static_cast<size_t>(rows));
    ReadLines(text, columns, told, rows);
}

bool MapPiece::AddFileLines(const textfile::FileAtOffsets& file, uint64_t begin, uint64_t end,
                            const MapColumns& columns,
                            const std::function<void(int32_t row, int32_t rows)>& told,
                            size_t stretch) {
    std::vector<char> bytes(stretch);
    // The progress of the rows needs their number: the lines are then counted first.
    int32_t rows = 0;
    if (told) {
        if (!CountFileLines(file, begin, end, bytes, rows)) {
            return false;
        }
        Reserve(static_cast<size_t>(rows));
    }
    bool reserved = static_cast<bool>(told);
    std::string text;  // the lines not yet read: an LF ends all but the last
    for (uint64_t at = begin; at < end && !endOfText;) {
        const int64_t got = file.ReadAt(at, bytes.data(),
                                        static_cast<size_t>(std::min<uint64_t>(stretch, end - at)));
        if (got <= 0) {
            if (got < 0) {
                return false;
            }
            break;
        }
        at += static_cast<uint64_t>(got);
        endOfText = !textfile::AppendText(bytes.data(), static_cast<size_t>(got), text);
        if (!reserved) {
            // Room for as many links as the first stretch's lines foretell, and some more;
            // no more than a piece of this size can hold.
            const uint64_t known = std::max(std::min(end, file.Size()), at) - begin;
            const uint64_t seen = CountLineEnds(text.data(), text.size()) + 1;
            const uint64_t foretold = seen * known / static_cast<uint64_t>(got) / 8 * 9;
            Reserve(static_cast<size_t>(std::min(foretold, known / kLeastLinkBytes)));
            reserved = true;
        }
        const size_t lineEnd = text.rfind('\n');
        if (lineEnd != std::string::npos) {
            ReadLines(std::string_view(text).substr(0, lineEnd + 1), columns, told, rows);
            text.erase(0, lineEnd + 1);
        }
    }
    ReadLines(text, columns, told, rows);
    return true;
}

bool MapPiece::CountFileLines(const textfile::FileAtOffsets& file, uint64_t begin, uint64_t end,
                              std::vector<char>& bytes, int32_t& rows) {
    rows = 0;
    bool lastOpen = false;  // text follows the last LF
    for (uint64_t at = begin; at < end;) {
        const int64_t got = file.ReadAt(
            at, bytes.data(), static_cast<size_t>(std::min<uint64_t>(bytes.size(), end - at)));
        if (got <= 0) {
            if (got < 0) {
                return false;
            }
            break;
        }
        at += static_cast<uint64_t>(got);
        const void* stop =
            std::memchr(bytes.data(), textfile::kEndOfFile, static_cast<size_t>(got));
        const size_t size = stop != nullptr
                                ? static_cast<size_t>(static_cast<const char*>(stop) - bytes.data())
                                : static_cast<size_t>(got);
        const size_t lineEnds = CountLineEnds(bytes.data(), size);
        rows += static_cast<int32_t>(lineEnds);
        const char* tail = bytes.data();
        if (lineEnds > 0) {
            tail = static_cast<const char*>(memrchr(bytes.data(), '\n', size)) + 1;
            lastOpen = false;
        }
        lastOpen = lastOpen || std::any_of(tail, static_cast<const char*>(bytes.data()) + size,
                                           [](char c) { return c != '\r'; });
        if (stop != nullptr) {
            break;
        }
    }
    rows += lastOpen ? 1 : 0;
    return true;
}

void MapPiece::Reserve(size_t count) {
    try {
        from.reserve(from.size() + count);
        to.reserve(to.size() + count);
        distance.reserve(distance.size() + count);
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
        const int32_t row = ++lines;
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
            ++trailingEmpty;
            continue;
        }
        for (; trailingEmpty > 0; --trailingEmpty) {
            refused.emplace_back(row - trailingEmpty, rfEmptyName);
        }
        anyFields = true;
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
    const int64_t linkDistance = ReadLeadingInteger(distanceText);
    if (fromName.empty() || toName.empty()) {
        refused.emplace_back(row, rfEmptyName);
    } else if (fromName == toName) {
        refused.emplace_back(row, rfSameName);
    } else if (linkDistance == 0) {
        refused.emplace_back(row, rfZeroDistance);
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
        const int32_t fromId = names.FindOrAdd(fromName);
        Keep(fromId, names.FindOrAdd(toName), linkDistance);
    }
}

void MapPiece::ForgetLinks() {
    std::vector<int32_t>().swap(from);
    std::vector<int32_t>().swap(to);
    std::vector<int64_t>().swap(distance);
}

void MapPiece::Keep(int32_t fromId, int32_t toId, int64_t linkDistance) {
    from.push_back(fromId);
    to.push_back(toId);
    distance.push_back(linkDistance);
}

void MapPiece::LookUpPending() {
    int32_t before[3] = {};  // by Repeat: the ids of the link before
    for (size_t i = 0; i < mPending.size(); ++i) {
        if (i + kAhead < mPending.size()) {
            const Pending& ahead = mPending[i + kAhead];
            if (ahead.fromRepeats == rpNone) {
                names.Prefetch(ahead.fromHash);
            }
            if (ahead.toRepeats == rpNone) {
                names.Prefetch(ahead.toHash);
            }
        }
        const Pending& link = mPending[i];
        const int32_t fromId = link.fromRepeats == rpNone
                                   ? names.FindOrAdd(link.from, link.fromHash)
                                   : before[link.fromRepeats];
        const int32_t toId = link.toRepeats == rpNone ? names.FindOrAdd(link.to, link.toHash)
                                                      : before[link.toRepeats];
        Keep(fromId, toId, link.distance);
        before[rpFrom] = fromId;
        before[rpTo] = toId;
    }
    mPending.clear();
}
