#pragma once
// JBIG2 coding of bilevel pages (ITU-T T.88) for embedding in PDF.

#include "platform/DibRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// Reads the 1-bit picture file `inputFile` (a BMP as the image library writes it) and writes two
// files in the form the PDF JBIG2Decode filter takes for embedded streams (segments without the
// file header, page association 1): `globalsFile` with the global segments (present but empty when
// nothing global is coded) and `pageFile` with the page's segments. Black pixels are those of the
// darker colour table entry. Returns true on success; on failure neither output file is left
// behind.
bool jbig2encode(const std::string& inputFile, const std::string& globalsFile,
                 const std::string& pageFile);

// The same for a 1-bit picture in memory: `globals` receives the global segments (empty when
// nothing global is coded), `page` the page's segments, byte for byte what jbig2encode writes
// for a BMP file of the picture. Thread-safe: any number of pictures may be coded at once.
// Returns false (and leaves both empty) when the picture is not a 1-bit bitmap or memory runs out.
bool jbig2encodeDib(const dib& picture, std::vector<uint8_t>& globals, std::vector<uint8_t>& page);

// Why the last jbig2encode call on this thread failed (a short German text, UTF-8); empty after
// a successful call.
std::string jbig2LastError();
