-- From version 4 to version 5: the history's triggers changed on
-- PostgreSQL only (cheaper to run, the same records); an SQLite file keeps
-- its own.
PRAGMA user_version = 5;
