#pragma once
// A page's identity: a number kept in the record's spare field, given on first use. It moves with
// the record (moving and interleaving pages, the pixels moving to another address keep it) and is
// new for every new picture (an added, rotated, scanned or loaded page starts as a record without
// one), so whatever is kept per identity (thumbnails, a page's original JPEG bytes) never
// outlives the picture it belongs to.

#include "platform/DibRecord.h"

#include <cstdint>

// The identity of `page`, given now when it has none. Any thread may give identities.
uint64_t pageIdentity(dib& page);
// The identity of `page` without giving one: 0 when it has none.
uint64_t pageIdentityIfAny(const dib& page);
// For a picture changed in place: releases what is kept for the old picture (its original JPEG
// bytes) and takes the identity away, so the page gets a new one on its next use.
void pictureChanged(dib& page);
