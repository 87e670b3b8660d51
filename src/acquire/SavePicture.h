#pragma once
// Saving one page as a picture file, in the format picked in the save dialog's filter.

#include "platform/DibRecord.h"

#include <cstdint>
#include <string>

// The format code for the save filter's 1-based position: position + 2 (BMP at 1 ... JPEG 2000
// at 12, PNG at 13: the order of GetDIBSaveFilter).
int32_t saveFormatCode(int filterIndex);
// The extension of that format with its dot (".bmp" ... ".png"); empty outside 1..13.
std::string saveExtension(int filterIndex);
// `name` with the filter's extension appended when its last path element has no "." in it.
std::string nameWithSaveExtension(const std::string& name, int filterIndex);
// The format a page named `name` is saved in: the one its extension names when that is one of the
// save formats' extensions (any case; ".jpeg" and ".tiff" too), so that the file holds what its
// name says; else the one at the filter position.
int32_t saveFormatFor(const std::string& name, int filterIndex);

// Writes `page` to `fileName` in `format`. A failure (unwritable folder, full disk, a format
// that cannot hold the picture) is shown through the message sink with the error icon, caption
// "Fehler beim Speichern von <file>!" and the library's reason; the library never leaves a
// half-written file. Returns true when the file was written.
bool SavePicture(const dib& page, const std::string& fileName, int32_t format);
