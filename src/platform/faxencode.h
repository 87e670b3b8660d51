#pragma once
// CCITT Group 4 coding (ITU-T T.6) of a bilevel image, fed pixel by pixel and row by row, into a
// file that holds the bare coded data as the PDF CCITTFaxDecode filter takes it with K = -1,
// Columns = width, Rows = height and the default polarity (ISO 32000-1, 7.4.6).
//
// Calling order: openccittfile, g4j_initialize, then for each row the pixels from left to right
// (g4j_encode_white / g4j_encode_black) followed by g4j_encode_new_row, after the last row
// g4j_encode_EOFB, and finally closeccittfile, which codes the image and writes the file.
// One image can be in progress at a time (the layer keeps it as process-wide state); main thread
// only. Each pixel call is a few instructions: the pixels are packed into rows in memory, and
// the coding itself is libtiff's Group 4 codec, run once at closeccittfile.
//
// Polarity: the coded data follows T.6, where the first run of each row is white. In terms of the
// PDF filter with its default BlackIs1 false, the decoded samples are 1 for white and 0 for black.

#include <cstdint>
#include <vector>

// Starts an image whose coded data goes to the file `fileName` (zero-terminated UTF-16). The file
// is created (or truncated) at once. Returns false when it cannot be created; the later calls then
// do nothing and closeccittfile returns false.
bool openccittfile(const char16_t* fileName);

// Sets the image size in pixels. Both must be at least 1, and the packed image (one bit per pixel)
// must fit in memory; otherwise the image fails and closeccittfile returns false. Rows that are
// not fed are white; pixels fed beyond the width and rows fed beyond the height are dropped.
void g4j_initialize(int32_t width, int32_t height);

// Appends a run of `run` white or black pixels to the current row (the writer calls them with 1).
// Values below 1 add nothing.
void g4j_encode_white(int32_t run);
void g4j_encode_black(int32_t run);

// Ends the current row; the next pixel starts the next row at column 0.
void g4j_encode_new_row();

// Ends the image: the end-of-facsimile-block code (two EOL codes, T.6 section 2.4) closes the
// coded data. Pixels or rows fed afterwards are dropped.
void g4j_encode_EOFB();

// Codes the image, writes the coded data to the file and closes it. Returns true when the whole
// file was written; on failure the file is removed. The layer is then free for the next image.
bool closeccittfile();

// Codes a whole image in one call, without the layer's state, so any number of threads may code
// at once: `rows` holds `height` rows of (width + 7) / 8 bytes, pixels most significant bit
// first, a set bit black, the bits past the width clear. `out` receives what closeccittfile
// writes for the same pixels. Returns false (out empty) on failure.
bool g4EncodePacked(const uint8_t* rows, int32_t width, int32_t height, std::vector<uint8_t>& out);
