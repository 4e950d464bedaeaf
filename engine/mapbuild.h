// MapBuild: the rows of a map on their way into the network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "data/tqlist.h"
#include "data/tqstring.h"
#include "engine/mappiece.h"
#include "engine/node.h"

// Each row is checked against the map's rules and an accepted row's link goes into the
// network; links that repeat an earlier one are dropped, so the network ends as if each
// row had been added with SfNodes::AddLink in turn, its nodes numbered in the order the
// rows first name them. Every refused row's warning is handed out in row order.
//
// A build takes its rows either one by one (AddRow) or as the text of a file (AddLines),
// which is cut into as many pieces as there are threads, read side by side.
class MapBuild {
public:
    // `stopAsked`, when given, is asked from every thread between stretches of the work: true
    // ends the build with WorkStopped (the network then holds part of the links).
    MapBuild(SfNodes& nodes, int threads, std::function<bool()> stopAsked = {});
    MapBuild(const MapBuild&) = delete;
    MapBuild& operator=(const MapBuild&) = delete;

    // Rows come in ascending row order (from 1).
    void AddRow(int row, std::string_view from, std::string_view to, std::string_view distanceText);
    // The lines of `text` are the rows from 1 (see MapPiece::AddLines). `told` hears, on
    // this thread, every tenth row of the first piece and the piece's rows, which stand for
    // all: the pieces are read side by side. The text may go once AddLines returns.
    void AddLines(std::string_view text, const MapColumns& columns,
                  const std::function<void(int32_t row, int32_t rows)>& told);
    // AddLines for the text of the file's bytes from `begin` on, each piece reading its own
    // stretch of the file (see MapPiece::AddFileLines). What failed when the file cannot be
    // read, or was cut short while it was read before the last piece's stretch (CutShort):
    // the rows are never those of the file with a hole.
    FileFailure AddFile(const textfile::FileAtOffsets& file, uint64_t begin,
                        const MapColumns& columns,
                        const std::function<void(int32_t row, int32_t rows)>& told,
                        size_t stretch = MapPiece::kStretch);
    // Puts the links into the network, replacing what it held, drops the repeated ones and
    // appends every warning (CP932) to `warnings`.
    void Finish(tqList<tqString>& warnings);

private:
    // How many pieces `bytes` of text are cut into.
    size_t PieceCount(uint64_t bytes) const;
    // The pieces' names numbered as one: by piece, each piece's ids in the network's.
    std::vector<std::vector<int32_t>> NumberNames(SfNodeNames& names);
    // Puts every piece's links into the network, piece k's from firstLink[k] on.
    void JoinLinks(const std::vector<size_t>& firstLink);
    // Appends the warnings of the refused rows and of the `repeated` links, in row order.
    void Warn(const std::vector<SfNodes::RepeatedLink>& repeated,
              const std::vector<size_t>& firstLink, tqList<tqString>& warnings) const;

    // Throws WorkStopped once the build is asked to stop.
    void EndIfStopped() const;

    SfNodes& mNodes;
    int mThreads;
    std::function<bool()> mStopAsked;
    std::vector<MapPiece> mPieces;
};
