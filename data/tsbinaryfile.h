// TSBinaryFileCL: a paged scratch file of which four 16 KB pages are held in memory.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/scratchfile.h"

// Offsets are byte positions in the scratch file. Only the most recently used pages stay
// in memory; a page is written back when its slot takes another page, unless nothing was
// written to it since it was read: a table read from start to end writes nothing.
class TSBinaryFileCL {
public:
    static constexpr int32_t kPageSize = 16384;
    static constexpr int kSlots = 4;

    // Creates the scratch file; IsUsable tells whether that worked.
    TSBinaryFileCL();
    TSBinaryFileCL(const TSBinaryFileCL&) = delete;
    TSBinaryFileCL& operator=(const TSBinaryFileCL&) = delete;
    // Deletes the scratch file.
    virtual ~TSBinaryFileCL() = default;

    // False when the scratch file could not be created or a read or write of it failed;
    // whatever was stored since then cannot be trusted.
    bool IsUsable() const { return file.IsOpen() && !mFailed; }

    // Copy `n` (>= 1) bytes out of / into the file at `offset`. False when not usable.
    bool ReadBytes(void* destination, uint32_t offset, int32_t n);
    bool WriteBytes(const void* source, uint32_t offset, int32_t n);
    bool ReadInt32(uint32_t offset, int32_t& value) { return ReadBytes(&value, offset, 4); }
    // Writes the pages held in memory that the file lacks: the file then holds every byte
    // written. False when not usable.
    bool WriteBack();
    bool WriteInt32(uint32_t offset, int32_t value) { return WriteBytes(&value, offset, 4); }

    std::unique_ptr<char[]> block;  // kSlots contiguous page slots
    scratchfile::ScratchFile file;
    int32_t recency[kSlots] = {0, 1, 2, 3};  // slot numbers, most recently used first
    char* slotAddress[kSlots] = {};
    // Page held by each slot; the trailing -1 keeps slot 3 from pairing with a fifth slot.
    int32_t slotPage[kSlots + 1] = {0, 1, 2, 3, -1};

protected:
    // The address of `n` (1..kPageSize) bytes at `offset`, contiguous in the block, until
    // the next access: to write them, or with Look only to read them.
    char* Access(uint32_t offset, int32_t n);
    const char* Look(uint32_t offset, int32_t n);

    bool mFailed = false;

private:
    // Brings the pages of `n` bytes at `offset` into a slot, or two adjacent ones; gives the
    // first.
    int Hold(uint32_t offset, int32_t n);
    void LoadPage(int slot, int32_t page);
    // Writes the slot's page to the file; false (and not usable) when that failed.
    bool WriteSlotBack(int slot);
    // Puts `page` into `slot`, exchanging slots when another slot holds it already.
    void BringPage(int slot, int32_t page);
    void MakeMostRecent(int slot);

    // Whether a slot was written to since its page was read. The first pages were never
    // read: the file does not hold them yet.
    bool mChanged[kSlots] = {true, true, true, true};
};
