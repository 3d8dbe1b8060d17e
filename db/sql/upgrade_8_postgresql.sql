-- From version 7 to version 8: the door closed to every caller the owner's
-- functions were not written for.
INSERT INTO QDL_VERSAO (NRVERSAO) VALUES (8);
