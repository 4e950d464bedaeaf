// TSMemoryCL: an append-only store of length-prefixed byte records in a paged scratch file.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "data/tsbinaryfile.h"
#include "data/tsmemunit.h"

// A record at offset o is its 32-bit length L followed by L bytes. Offset 0 holds a
// 4-byte zero record, so offset 0 never names a real record and means "none".
class TSMemoryCL : public TSBinaryFileCL {
public:
    static constexpr int32_t kNone = 0;

    int32_t total = 0;  // next free offset; records are packed back to back

    TSMemoryCL();

    // Stores `length` (>= 1) bytes and gives the record's offset, or kNone when the store
    // is not usable or would grow beyond 2 GB.
    int32_t Append(int32_t length, const void* bytes);
    // Stores the text and a NUL after it as one record, as Append would.
    int32_t AppendText(std::string_view text);
    // Copies the record at `offset` into `unit`. False for kNone (the unit unchanged) or
    // when the store is not usable.
    bool Read(int32_t offset, TSMemUnitCL& unit);
    // The record at `offset` where the store holds it, valid until the store is next used;
    // copied into `unit` when longer than a page. Empty for kNone or when not usable.
    std::string_view Peek(int32_t offset, TSMemUnitCL& unit);
    // Forgets every record; the scratch file is reused from its start. A store that was
    // only full is usable again.
    void Reset();
    // The store failed because it would have grown beyond 2 GB, not because of its file.
    bool IsFull() const { return mFull; }
    // Gives a record up. Nothing is reclaimed until Reset.
    bool Release(int32_t /*offset*/) { return true; }

    // Reads records from the store's file through pages of its own, so that another thread
    // may read while the store's own pages serve this one. The store must be written back
    // (WriteBack) before, and nothing stored while a reader reads.
    class Reader {
    public:
        explicit Reader(const TSMemoryCL& store);
        // The record at `offset`, as Peek gives it; valid until the reader is next used.
        std::string_view Peek(int32_t offset);
        // A read of the file failed: what Peek gave since may be empty.
        bool Failed() const { return mFailed; }

    private:
        // The address of `n` (1..kPageSize) bytes at `offset`, or null when they could not
        // be read.
        const char* Hold(uint32_t offset, int32_t n);

        const scratchfile::ScratchFile& mFile;
        std::unique_ptr<char[]> mPages;  // two pages side by side, from the page mFirst on
        int64_t mFirst = -1;
        TSMemUnitCL mLong;  // a record longer than a page
        bool mFailed = false;
    };

private:
    // `count` bytes, and a NUL after them with `nul`, as one record.
    int32_t Store(const char* bytes, int64_t count, bool nul);

    bool mFull = false;
};
