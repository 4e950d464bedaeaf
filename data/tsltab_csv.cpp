// Loading and saving the titled table as CSV files.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/csvdialect.h"
#include "data/tsfilestream.h"
#include "data/tsltab.h"
#include "platform/codepage.h"
#include "platform/helperthreads.h"

namespace {

// What spreadsheet programs put at the start of a file they save as "CSV UTF-8".
using codepage::kUtf8Mark;

}  // namespace

bool TSLtabCL::SplitFileLine(std::string_view line, bool utf8, uint32_t row,
                             std::vector<std::string>& fields) {
    csv::SplitCsvLine(line, fields);  // the separators and quotes are ASCII in UTF-8 too
    if (!utf8) {
        return true;
    }
    if (row == 0) {
        mRead.assign(fields.size(), false);
    }
    std::string converted;
    for (size_t j = 0; j < fields.size(); ++j) {
        const bool read = row == 0 ? ReadsEveryColumn() : j < mRead.size() && mRead[j];
        if (codepage::Utf8ToCp932Exact(fields[j], converted)) {
            fields[j].swap(converted);
            if (row == 0) {
                mRead[j] = ReadsColumn(fields[j]);
            }
        } else if (!read) {
            fields[j] = codepage::Utf8ToCp932(fields[j]);  // a column no one reads
        } else {
            mUnconvertible = {row, static_cast<uint32_t>(j + 1)};
            return false;
        }
    }
    return true;
}

bool TSLtabCL::IsUtf8File(std::string_view content, std::string_view titleLine) const {
    if (titleLine.starts_with(kUtf8Mark)) {
        return codepage::IsValidUtf8(content.substr(kUtf8Mark.size()));
    }
    if (mNeededTitles.empty() || !codepage::IsValidUtf8(titleLine)) {
        return false;
    }
    // UTF-8 only when the titles are missing as CP932 and all there as UTF-8.
    auto holdsAll = [&](const std::vector<std::string>& fields) {
        for (const std::string& title : mNeededTitles) {
            if (std::find(fields.begin(), fields.end(), title) == fields.end()) {
                return false;
            }
        }
        return true;
    };
    std::vector<std::string> fields;
    csv::SplitCsvLine(titleLine, fields);
    if (holdsAll(fields)) {
        return false;
    }
    std::string converted;
    for (std::string& field : fields) {
        // A title CP932 cannot hold is none of the needed ones.
        if (codepage::Utf8ToCp932Exact(field, converted)) {
            field.swap(converted);
        } else {
            field.clear();
        }
    }
    return holdsAll(fields);
}

bool TSLtabCL::LoadCsvFile(const std::string& path) {
    TSFileStreamCL stream;
    return LoadCsv(path, stream, false);
}

bool TSLtabCL::LoadCsvTitles(const std::string& path, TSFileStreamCL& lines) {
    if (LoadCsv(path, lines, true)) {
        return true;
    }
    lines.Close();
    return false;
}

bool TSLtabCL::LoadCsv(const std::string& path, TSFileStreamCL& stream, bool titlesOnly) {
    mLoadFailure = {};
    if (!IsUsable() || stream.mode != TSFileStreamCL::fmClosed) {
        return false;
    }
    std::vector<std::string> remembered;
    for (uint32_t col = 1; col <= GetColCount(); ++col) {
        remembered.emplace_back(GetTitle(col));
    }
    if (!OpenCsv(path, stream, titlesOnly)) {
        return false;
    }
    Clear();
    mUnconvertible = {};
    std::string_view line;
    bool utf8 = false;
    std::vector<std::string> fields;
    if (!ReadTitleLine(stream, line, utf8) || !SplitFileLine(line, utf8, 0, fields)) {
        return false;
    }
    const std::vector<std::string> kept = SetFileTitles(fields, std::move(remembered));
    if (titlesOnly && !utf8) {  // the caller splits the rows itself
        AppendTitles(kept);
        return IsUsable();
    }
    if (!StoreRows(stream, utf8, static_cast<uint32_t>(fields.size()))) {
        Clear();
        return false;
    }
    AppendTitles(kept);
    stream.Close();  // a UTF-8 file's rows are in the table: none are left to hand out
    return IsUsable();
}

bool TSLtabCL::OpenCsv(const std::string& path, TSFileStreamCL& stream, bool titlesOnly) {
    // Reading the bytes is the first tenth of the work, splitting them into cells the rest.
    if (mProgress) {
        stream.SetReadProgress([&](uint64_t read, uint64_t size) { mProgress(read, 10 * size); });
    }
    // Titles only: the rows of a CP932 file stay in the file for the caller.
    if (!(titlesOnly ? stream.OpenFirstLine(path) : stream.Open(path, TSFileStreamCL::fmRead))) {
        mLoadFailure = stream.Failure();
        return false;
    }
    return true;
}

bool TSLtabCL::ReadTitleLine(TSFileStreamCL& stream, std::string_view& line, bool& utf8) {
    if (!stream.ReadLine(line)) {
        mLoadFailure = FileFailure::Empty();
        return false;
    }
    // The whole text is needed to check a file with the mark, and to store a UTF-8 file's
    // rows; the first line is then found again in it.
    auto readRest = [this, &stream, &line] {
        if (!stream.ReadRest()) {
            mLoadFailure = stream.Failure();
            return false;
        }
        line = std::string_view(stream.content).substr(0, line.size());
        return true;
    };
    if (line.starts_with(kUtf8Mark) && !readRest()) {
        return false;
    }
    utf8 = IsUtf8File(stream.content, line);
    if (utf8 && !readRest()) {
        return false;
    }
    if (utf8 && line.starts_with(kUtf8Mark)) {
        line.remove_prefix(kUtf8Mark.size());
    }
    return true;
}

std::vector<std::string> TSLtabCL::SetFileTitles(const std::vector<std::string>& titles,
                                                 std::vector<std::string> remembered) {
    std::unordered_map<std::string_view, int> fileTitles;  // how often each stands
    for (uint32_t j = 1; j <= titles.size(); ++j) {
        SetTitle(j, titles[j - 1]);
        ++fileTitles[titles[j - 1]];
    }
    std::vector<std::string> kept;
    for (std::string& title : remembered) {
        auto found = fileTitles.find(title);
        if (found != fileTitles.end() && found->second > 0) {
            --found->second;  // each title of the file stands for one earlier title
        } else {
            kept.push_back(std::move(title));
        }
    }
    return kept;
}

void TSLtabCL::AppendTitles(const std::vector<std::string>& titles) {
    for (const std::string& title : titles) {
        SetTitle(GetColCount() + 1, title);
    }
}

bool TSLtabCL::StoreRows(TSFileStreamCL& stream, bool utf8, uint32_t titleCount) {
    std::string_view line;
    std::vector<std::string> fields;
    for (uint32_t row = 1; stream.ReadLine(line); ++row) {
        if (mProgress && row % kProgressLines == 0) {
            const uint64_t size = stream.content.size();
            mProgress(size + 9 * uint64_t{stream.position}, 10 * size);
        }
        if (!SplitFileLine(line, utf8, row, fields)) {
            return false;
        }
        const auto used = std::min(titleCount, static_cast<uint32_t>(fields.size()));
        for (uint32_t j = 1; j <= used; ++j) {
            WriteCell(row, j, fields[j - 1]);
        }
    }
    return true;
}

namespace {

// The store's bytes behind each block of rows saved: rows go to the file a block at a time,
// and with more than one block a helper formats every other block.
constexpr int64_t kBlockBytes = 64 * 1024;

// Formats the odd blocks of a save on a helper thread, a block or two ahead of the thread
// that writes them.
class OddBlocks {
public:
    // Formats the odd ones of `blocks` blocks with `format`, each into a text of its own.
    OddBlocks(uint32_t blocks, std::function<bool(uint32_t block, std::string& text)> format)
        : mBlocks(blocks), mFormat(std::move(format)), mHelper(1) {
        mRunning = blocks > 1 && mHelper.Start([this] { Run(); });
    }
    // Stops formatting; the helper ends before the rest goes (what it threw is dropped).
    ~OddBlocks() { Halt(); }

    bool Running() const { return mRunning; }
    // The text of odd block `block` once formatted, moved into `text`; false when it could
    // not be.
    bool Take(uint32_t block, std::string& text) {
        std::unique_lock<std::mutex> lock(mMutex);
        mChanged.wait(
            lock, [&] { return mFailed || (!mReady.empty() && mReady.front().first == block); });
        if (mFailed) {
            return false;
        }
        text = std::move(mReady.front().second);
        mReady.pop_front();
        mChanged.notify_all();
        return true;
    }
    // Stops formatting and waits for the helper; what it threw is thrown here.
    void Stop() {
        Halt();
        mHelper.Wait();
    }

private:
    static constexpr size_t kAhead = 2;  // texts formatted and not yet taken, at most

    void Run() {
        for (uint32_t block = 1; block < mBlocks; block += 2) {
            std::string text;
            bool formatted = false;
            try {
                formatted = mFormat(block, text);
            } catch (...) {
                Fail();
                throw;
            }
            std::unique_lock<std::mutex> lock(mMutex);
            if (!formatted) {
                mFailed = true;
            } else {
                mReady.emplace_back(block, std::move(text));
            }
            mChanged.notify_all();
            mChanged.wait(lock, [this] { return mStopped || mFailed || mReady.size() < kAhead; });
            if (mStopped || mFailed) {
                return;
            }
        }
    }
    void Fail() {
        std::lock_guard<std::mutex> lock(mMutex);
        mFailed = true;
        mChanged.notify_all();
    }
    void Halt() {
        std::lock_guard<std::mutex> lock(mMutex);
        mStopped = true;
        mChanged.notify_all();
    }

    const uint32_t mBlocks;
    const std::function<bool(uint32_t, std::string&)> mFormat;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::deque<std::pair<uint32_t, std::string>> mReady;
    bool mStopped = false;
    bool mFailed = false;
    bool mRunning = false;
    HelperThreads mHelper;  // last: it ends before what it reads
};

}  // namespace

template <typename Peek>
void TSLtabCL::AppendLines(uint32_t first, uint32_t end, std::string& text, Peek&& peek) {
    for (uint32_t row = first; row < end; ++row) {
        const size_t start = text.size();
        for (uint32_t col = 1; col <= GetColCount(); ++col) {
            if (col > 1) {
                text.push_back(',');
            }
            const std::string_view record = peek(CellOffset(row, col));
            csv::EncodeCsvField(record.substr(0, record.find('\0')), text);  // as a C text reads
        }
        if (row == 0) {
            std::string line = text.substr(start);
            if (line.empty()) {
                line = "\"\"";  // an empty title line would read back as no column at all
            }
            if (line.starts_with(kUtf8Mark)) {
                // A first title that begins with the mark's bytes is quoted, or the file
                // would read back as UTF-8.
                line = "\"" + line.substr(0, line.find(',')) + "\"" +
                       line.substr(std::min(line.find(','), line.size()));
            }
            text.replace(start, std::string::npos, line);
        }
        text.push_back('\n');
    }
}

bool TSLtabCL::SaveCsvFile(const std::string& path) {
    TSFileStreamCL stream;
    mSaveFailure = {};
    if (!stream.Open(path, TSFileStreamCL::fmWrite)) {
        mSaveFailure = stream.Failure();
        return false;
    }
    stream.SetWriteEncoding(mSaveEncoding);
    if (GetColCount() == 0 || !IsUsable() || !WriteCsvLines(stream, 0, GetRowCount() + 1)) {
        mSaveFailure = stream.Failure();
        stream.Discard();
        return false;
    }
    const bool closed = stream.Close();
    mSaveFailure = stream.Failure();
    return closed;
}

bool TSLtabCL::WriteCsvLines(TSFileStreamCL& stream, uint32_t firstLine, uint32_t endLine) {
    const uint64_t lines = uint64_t{GetRowCount()} + 1;
    // As many rows to a block as hold about kBlockBytes of the store, by the average row.
    const uint64_t rowsPerBlock =
        std::max<uint64_t>(1, kBlockBytes * lines / std::max<int32_t>(textStore.total, 1));
    const auto blocks =
        static_cast<uint32_t>((endLine - firstLine + rowsPerBlock - 1) / rowsPerBlock);
    const auto rowsOf = [&](uint32_t block) {
        const uint64_t first = firstLine + block * rowsPerBlock;
        return std::pair<uint32_t, uint32_t>(first,
                                             std::min<uint64_t>(first + rowsPerBlock, endLine));
    };
    // The helper reads the store through a reader of its own, once the file holds it all.
    std::unique_ptr<TSMemoryCL::Reader> reader;
    if (blocks > 1 && textStore.WriteBack()) {
        reader = std::make_unique<TSMemoryCL::Reader>(textStore);
    }
    OddBlocks odd(reader ? blocks : 0, [&](uint32_t block, std::string& text) {
        const auto [first, end] = rowsOf(block);
        AppendLines(first, end, text, [&](int32_t offset) { return reader->Peek(offset); });
        return !reader->Failed();
    });
    std::string text;
    for (uint32_t block = 0; block < blocks; ++block) {
        const auto [first, end] = rowsOf(block);
        if (block % 2 == 1 && odd.Running()) {
            if (!odd.Take(block, text)) {
                odd.Stop();
                return false;
            }
        } else {
            text.clear();
            AppendLines(first, end, text,
                        [&](int32_t offset) { return textStore.Peek(offset, readBuffer); });
        }
        for (uint64_t row =
                 (std::max(first, 1u) + kProgressLines - 1) / kProgressLines * kProgressLines;
             mProgress && row < end; row += kProgressLines) {
            mProgress(row, GetRowCount());
        }
        if (!stream.WriteText(text) || !IsUsable()) {
            return false;
        }
    }
    odd.Stop();
    return true;
}
