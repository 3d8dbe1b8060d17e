-- From version 1 to version 2: the branches of terminal roles and the
-- server's row-level security are PostgreSQL's alone; a SQLite file is one
-- terminal's. Only the number changes.
PRAGMA user_version = 2;
