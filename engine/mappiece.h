// MapPiece: one stretch of a map's rows, checked and with its names numbered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/numbertext.h"
#include "engine/nodenames.h"
#include "platform/filereason.h"
#include "platform/textfile.h"

// Why a map row gives no link: a name empty, the two names the same, or a distance whose
// whole part is 0.
enum MapRowRefusal : uint8_t { rfEmptyName, rfSameName, rfZeroDistance };

// The rule every map row meets, wherever its texts come from: the refusal of a row with
// these texts, or nothing when it gives a link, of `distance` (its text's whole part).
inline std::optional<MapRowRefusal> RefusalOfMapRow(std::string_view fromName,
                                                    std::string_view toName,
                                                    std::string_view distanceText,
                                                    int64_t& distance) {
    distance = ReadLeadingInteger(distanceText);
    if (fromName.empty() || toName.empty()) {
        return rfEmptyName;
    }
    if (fromName == toName) {
        return rfSameName;
    }
    if (distance == 0) {
        return rfZeroDistance;
    }
    return std::nullopt;
}

// Where the three values stand in a row of the map file, counted from 1; a row with fewer
// fields has the missing ones empty.
struct MapColumns {
    uint32_t from;
    uint32_t to;
    uint32_t distance;
};

// Rows are numbered from 1 within the piece. An accepted row's link is kept with the ids
// its names have in Names(), which numbers them in the order the piece first names them
// (From before To). A piece is filled by one thread; pieces of one map are filled side by
// side and joined by MapBuild.
//
// Every row is either a link, the links in row order, or refused (Refused(), by ascending
// row), except the lines without fields at the piece's end, which are held apart until
// EndLines says whether they are rows. Link i (from 0) is thus row i + 1 plus the number of
// refused rows before it (RowOfLink).
class MapPiece {
public:
    using Refusal = MapRowRefusal;
    using Refused = std::vector<std::pair<int32_t, Refusal>>;

    // Checks row `row` and keeps its link; the texts need not outlive the call.
    void AddRow(int32_t row, std::string_view fromName, std::string_view toName,
                std::string_view distanceText);
    // Reads `text` line by line (each line up to LF is a row, the last may lack its LF) as
    // the CSV dialect splits it. A line without fields is a row only when a line with fields
    // follows; the last ones wait for EndLines. `told` hears the number of every tenth row
    // as it comes, and the number of lines. The text may go once AddLines has returned.
    void AddLines(std::string_view text, const MapColumns& columns,
                  const std::function<void(int32_t row, int32_t rows)>& told);
    // AddLines for the text of the file's bytes [begin, end), read a stretch of `stretch`
    // bytes at a time in text mode: CR bytes dropped, and a 0x1A byte ends the text (see
    // EndsText). The lines are counted beforehand only for `told`. `stopAsked`, if given, is
    // asked after every stretch: true ends the reading with WorkStopped. What failed when the
    // file cannot be read; CutShort when it ends before `end` (UINT64_MAX: its end).
    FileFailure AddFileLines(const textfile::FileAtOffsets& file, uint64_t begin, uint64_t end,
                             const MapColumns& columns,
                             const std::function<void(int32_t row, int32_t rows)>& told,
                             const std::function<bool()>& stopAsked = {},
                             size_t stretch = kStretch);
    // Ends the piece's lines: the lines without fields at its end are rows, refused as
    // empty, when `rowsFollow` (a later piece has a row), and no rows otherwise.
    void EndLines(bool rowsFollow);

    // Rows counted so far: the lines read, or the last row added.
    int32_t Rows() const { return mLines; }
    size_t Links() const { return mFrom.size(); }
    // Whether a line with fields was read.
    bool HasFields() const { return mAnyFields; }
    // Whether AddFileLines met a 0x1A byte: the map's text ends in this piece.
    bool EndsText() const { return mEndOfText; }
    const Refused& RefusedRows() const { return mRefused; }
    // The row of link `link` (from 0).
    int32_t RowOfLink(size_t link) const;

    const SfNodeNames& Names() const { return mNames; }
    SfNodeNames TakeNames() { return std::move(mNames); }
    void ForgetNames() { mNames.Clear(); }
    // Writes the links to from[i], to[i] and distance[i] in order, their ids turned into
    // ids[id] when `ids` is given, and frees the piece's own.
    void MoveLinks(const std::vector<int32_t>* ids, int32_t* from, int32_t* to, int64_t* distance);

    static constexpr size_t kStretch = size_t{256} << 10;

private:
    // Which name of the link before it a pending link's name repeats: maps often list a
    // node's links together, and a link's way back right after it.
    enum Repeat : uint8_t { rpNone, rpFrom, rpTo };

    // A link whose names stand in the text being read, looked up a batch at a time so
    // that the look-ups' memory fetches overlap. A name that repeats one of the link before
    // it is not looked up again (and has no hash).
    struct Pending {
        std::string_view from;
        std::string_view to;
        uint64_t fromHash;
        uint64_t toHash;
        int64_t distance;
        Repeat fromRepeats;
        Repeat toRepeats;
    };

    // Checks the row and keeps its link; a `lasting` row's names stand in the text being
    // read and may wait in mPending.
    void Take(int32_t row, std::string_view fromName, std::string_view toName,
              std::string_view distanceText, bool lasting);
    // Room for `count` more links, as far as memory allows.
    void Reserve(size_t count);
    // The number of lines (rows) of the file's bytes [begin, end), read `stretch` bytes at a
    // time. False, with errno, when the file cannot be read.
    static bool CountFileLines(const textfile::FileAtOffsets& file, uint64_t begin, uint64_t end,
                               size_t stretch, int32_t& rows);
    // The lines of `text`, the piece having `rows` in all, for AddLines.
    void ReadLines(std::string_view text, const MapColumns& columns,
                   const std::function<void(int32_t row, int32_t rows)>& told, int32_t rows);
    void Keep(int32_t fromId, int32_t toId, int64_t linkDistance);
    void LookUpPending();

    SfNodeNames mNames;
    std::vector<int32_t> mFrom;  // by link
    std::vector<int32_t> mTo;
    std::vector<int64_t> mDistance;
    Refused mRefused;
    int32_t mLines = 0;
    int32_t mTrailingEmpty = 0;  // lines without fields after the last row with fields
    bool mAnyFields = false;
    bool mEndOfText = false;
    std::vector<Pending> mPending;
};
