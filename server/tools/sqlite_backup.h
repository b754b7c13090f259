// Backups of the server's SQLite database, taken while the server runs and
// put back while it is stopped. A PostgreSQL database is backed up with
// PostgreSQL's own tools (deploy/README).
#pragma once

#include <string>

// Copies the SQLite database at `database` into `file` as it stood when the
// copy began (every row committed before then, none after), while the
// server goes on reading and writing; the copy is written beside `file`,
// checked with PRAGMA integrity_check and only then moved to `file`.
// Returns false with `error` set (and `file` untouched) on failure.
bool BackupSqlite(const std::string& database, const std::string& file, std::string& error);

// Replaces the SQLite database at `database` (created when missing) by the
// backup `file`, once `file` has passed PRAGMA integrity_check and holds
// the server's tables. The server on `database` must be stopped. Returns
// false with `error` set on failure; a database found in use is left as it was.
bool RestoreSqlite(const std::string& file, const std::string& database, std::string& error);
