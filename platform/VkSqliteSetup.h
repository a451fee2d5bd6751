#pragma once
// Process-wide SQLite settings for this program's own processes.

// Turns off SQLite's memory statistics (nothing here reads them, and keeping
// them takes a global mutex on every allocation) and its up-front page-cache
// block (most connections here read a handful of pages of a small file; the
// block is 20 pages a connection, each touched at open). Call first thing in
// main(), before anything opens a database. True when the settings took;
// false when SQLite was already in use, which changes nothing else.
bool VkSetUpSqlite();
