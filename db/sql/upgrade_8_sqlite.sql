-- From version 7 to version 8: a PostgreSQL server's door closed to every
-- caller the owner's functions were not written for; an SQLite file has
-- nothing to add.
PRAGMA user_version = 8;
