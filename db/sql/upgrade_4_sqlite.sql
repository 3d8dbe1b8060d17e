-- From version 3 to version 4: in an SQLite file, the history's indexes
-- below (the rest of the step keeps terminal roles apart on PostgreSQL;
-- SQLite has no roles).
-- The history read in time order, newest first, whatever the filter: by
-- time alone, by branch and time (a branch with every configuration), and
-- the branch and configuration by IX_QDL_HISTORICO_CONF (each index ends in
-- the rowid, NRHISTORICO); a prune finds the oldest records by time.
CREATE INDEX IX_QDL_HISTORICO_DATA ON QDL_HISTORICO (DTALTERACAO);
CREATE INDEX IX_QDL_HISTORICO_FILIAL ON QDL_HISTORICO (CDFILIAL, DTALTERACAO);
PRAGMA user_version = 4;
