#pragma once
// JBIG2 coding of bilevel pages (ITU-T T.88) for embedding in PDF.

#include <string>

// Reads the 1-bit picture file `inputFile` (a BMP as the image library writes it) and writes two
// files in the form the PDF JBIG2Decode filter takes for embedded streams (segments without the
// file header, page association 1): `globalsFile` with the global segments (present but empty when
// nothing global is coded) and `pageFile` with the page's segments. Black pixels are those of the
// darker colour table entry. Returns true on success; on failure neither output file is left
// behind.
bool jbig2encode(const std::string& inputFile, const std::string& globalsFile,
                 const std::string& pageFile);

// Why the last jbig2encode call on this thread failed (a short German text, UTF-8); empty after
// a successful call.
std::string jbig2LastError();
