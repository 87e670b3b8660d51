#pragma once
// Operations on the list of pages: records of type dib in a TDynaArray.

#include <cstdint>
#include <vector>

class TDynaArray;

// Page numbers are 1-based, compared with bilder.count widened to 64 bits.

// Releases page n's picture (freedib) and removes its record. False (nothing changes) when n < 1
// or n > count.
bool deletePage(TDynaArray& bilder, int64_t n);

// Swaps page adib with the one before it and lowers adib by one. Nothing (false) when adib < 2 or
// adib > count. The moved page's record is current afterwards.
bool movePageForward(TDynaArray& bilder, int32_t& adib);

// Swaps page adib with the one after it and raises adib by one. Nothing (false) when adib < 1 or
// adib >= count. The moved page's record is current afterwards.
bool movePageBack(TDynaArray& bilder, int32_t& adib);

// The default "page number of the first back side": (count + 1) div 2 + 1.
int32_t interleavePreset(uint32_t count);

// The new order as 0-based old indices for n pages and b front sides (b >= 0; below 0 counts as
// 0): i = 0, t = 0; while i < b: if t == 0 take old record i, t = 1; else take old record n-1-i,
// t = 0, ++i; once i >= b: take old record n-1-i, ++i. Exactly n entries, a permutation of 0..n-1
// for every b (with b >= n/2 the pairs meet in the middle before i reaches b).
// (n=6,b=3 -> 0,5,1,4,2,3; n=6,b=1 -> 0,5,4,3,2,1; b=0 reverses; n=5,b=3 -> 0,4,1,3,2.)
std::vector<uint32_t> interleaveOrder(uint32_t n, int64_t b);

// Reorders the records of bilder by interleaveOrder(count, firstBackSide - 1). Records are moved
// as raw bytes (their pictures move with them, nothing is released). Afterwards there is no
// current record. Returns false and changes nothing when the memory for the reordering cannot be
// had (no message is shown; the caller tells the user).
bool interleavePages(TDynaArray& bilder, int64_t firstBackSide);

// Releases every picture of `bilder` and gives it the records of `fresh` (same record size),
// which is left empty. No record is copied and nothing is allocated, so this cannot fail.
// Afterwards neither array has a current record.
void replacePages(TDynaArray& bilder, TDynaArray& fresh);
