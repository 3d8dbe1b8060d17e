-- From version 3 to version 4: nothing changes in an SQLite file (the
-- step keeps terminal roles apart on PostgreSQL; SQLite has no roles).
PRAGMA user_version = 4;
