#pragma once
// The process's private temporary folder. Every temporary file of the program (parked pictures,
// encoder files, scanned pictures) lives in one folder that the process makes at its first need
// with mkdtemp under the system's temporary folder (TMPDIR when set, else /tmp), mode 0700, and
// removes with everything in it when the process ends (at exit, also after an error). Two
// processes sharing TMPDIR therefore never meet each other's files, and no other user can read
// a page picture. A folder that a killed process left behind is removed when the next one is made:
// each process keeps a lock on its folder while it lives, and a folder whose lock nobody holds
// and in which nothing changed for an hour is taken to be abandoned.
//
// Names inside the folder are prefix + decimal counter + suffix. For the files made at once, each
// prefix/suffix pair keeps its own next counter, so making one costs one or two file-system calls
// however many were made before. All functions may be called from several threads.

#include <string>

namespace qly {

// The folder with a trailing separator, made at the first call. Empty when it cannot be made
// (the next call tries again).
std::string tempFolder();

// Creates an empty file in the folder exclusively (O_CREAT | O_EXCL, mode 0600) under the first
// free name prefix + counter + suffix at or above the pair's next counter, and returns its full
// name. The file is the caller's until it removes it. Empty when no file could be created.
std::string createTempFile(const std::string& prefix, const std::string& suffix);

// The first name prefix + counter + suffix in the folder, counting from 0, for which no file
// exists; the file is not created, so the same name comes back until the caller makes it. Empty
// when the folder cannot be made.
std::string uniqueTempName(const std::string& prefix, const std::string& suffix);

// Removes the folder with everything in it now, as the end of the process does; the next need
// makes a new one (under the temporary folder current then) with fresh counters. Names handed
// out before are void. Only the process that made the folder removes it, so a forked child that
// ends leaves its parent's files alone.
void removeTempFolder();

} // namespace qly
