#pragma once
// TDynaArray: a growable array of fixed-size records in one zero-filled heap block, with a current
// record that it also publishes into a pointer variable of its owner.
//
// Capacity invariant: the block holds ((count - 1) div buffersize + 1) * buffersize records, and a
// block exists exactly when count > 0. Records are copied as raw bytes and never looked into:
// whatever a record owns is released by the caller before it is deleted or the array cleared.
// Record addresses change whenever the block is replaced, so callers keep the current-record
// variable, not addresses, across operations that add or remove records.
//
// When the heap cannot give a block, the array reports "Error N while trying to allocate ..." to
// the message sink, keeps its old block and undoes the count change: no record is lost and
// nothing is written through a missing block. Add and Insert then return null.

#include <cstdint>
#include <string>

class TDynaArray {
  public:
    // Create: record size `thesize`; `typpoi` (may be null) receives the current record's address.
    TDynaArray(uint32_t thesize, void** typpoi);
    // Destroy: releases the block; records are not visited.
    ~TDynaArray();
    TDynaArray(const TDynaArray&) = delete;
    TDynaArray& operator=(const TDynaArray&) = delete;

    // Makes record Index current and returns its address. No bounds check: 0 <= Index < count.
    void* GetObject(uint32_t Index);
    // Appends one zero-filled record and makes it current; null when no memory was available.
    void* Add();
    // For 0 <= nr <= count: inserts a zero-filled record at nr and makes it current; otherwise (or
    // without memory) null and nothing changes.
    void* Insert(int32_t nr);
    // For 0 <= nr < count: removes record nr; afterwards there is no current record.
    void Delete(int32_t nr);
    // Swaps records nr1 and nr2 when both are valid; record nr2 is current afterwards.
    void Change(int32_t nr1, int32_t nr2);
    // Removes all records and releases the block; no current record.
    void Clear();
    // With records present, makes record 0 current.
    void First();
    // With records present and -1 <= aobjnr < count - 1, makes the next record current.
    bool Next();
    // With 0 <= aobjnr <= count - 1: makes record aobjnr current and then advances aobjnr, so the
    // current-record variable holds the record just fetched. The loop
    // `First(); while (WhileNext()) ...` visits every record in order.
    bool WhileNext();

    // Growth and shrink steps (called by Add/Insert and Delete after the count changed).
    // AllocMoreMem runs after the count grew by one and keeps the first count - 1 records in the
    // new block; the new last slot is zero there.
    bool AllocMoreMem();
    void AllocLessMem();

    // Fields, in the record's documented order.
    void** outeraobj;    // the owner's current-record variable, or null
    void* aobj;          // the current record, or null
    uint8_t* poi;        // the block; null when nothing is allocated
    uint32_t count;      // number of records
    int32_t aobjnr;      // index of the current record; -1 when there is none
    uint32_t amemsize;   // size of the block in bytes
    uint32_t buffersize; // growth step in records
    uint32_t size;       // record size in bytes

  private:
    void setCurrent(int32_t nr);
    void clearCurrent();
    uint32_t capacityBytes() const;
    bool allocFailed_ = false;
};

// The first name folder + prefix + decimal counter + suffix for which no file exists, where the
// folder is the process's private temporary folder (platform/TempFolder.h) with a trailing
// separator. The counter starts at 0 each time, so a name whose file was removed is given again.
// The file is not created; empty when the folder cannot be made.
std::string GetUniqueTempFileName(const std::string& prefix, const std::string& suffix);
// A name of the same form, created at once as an empty file only this process uses
// (exclusively, mode 0600), so nothing else can take it before the caller writes it. Its counter
// runs on from the last file made with that prefix and suffix, so making many costs no search.
// Empty when that fails.
std::string CreateUniqueTempFile(const std::string& prefix, const std::string& suffix);

// Shows `text` to the user with the information icon and no caption (through the message sink).
void infobox(const std::string& text);
