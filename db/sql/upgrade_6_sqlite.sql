-- From version 5 to version 6: a PostgreSQL server's own check of a
-- transaction sent ahead whole; an SQLite file has nothing to add.
PRAGMA user_version = 6;
