-- From version 3 to version 4: the server keeps the door.
--
-- A terminal role writes the layout only through the owner's operations,
-- one function for each statement of the screen that writes or locks, made
-- after this script by the program (qdl-host makes them from the
-- statements' own text, db/serveroperations.cpp). Roles set up before lose
-- their own INSERT, UPDATE and DELETE, and with them every lock beyond a
-- reader's; the operations are theirs to run instead.
--
-- The terminal roles' list is kept by role identity (pg_roles.oid), not by
-- name: a renamed role stays confined to its branches. A listed role that
-- no longer exists is dropped from the list.
ALTER TABLE QDL_TERMINAL_FILIAL ADD COLUMN ROLOID OID;
UPDATE QDL_TERMINAL_FILIAL T SET ROLOID = R.oid FROM pg_roles R WHERE R.rolname = T.ROLNAME;
DELETE FROM QDL_TERMINAL_FILIAL WHERE ROLOID IS NULL;
DO $$
DECLARE
  r text;
BEGIN
  FOR r IN SELECT DISTINCT quote_ident(R.rolname) FROM QDL_TERMINAL_FILIAL T JOIN pg_roles R ON R.oid = T.ROLOID LOOP
    EXECUTE format('REVOKE INSERT, UPDATE, DELETE ON ITMENUCONFTE FROM %s', r);
    -- Column rights go with the table's.
    EXECUTE format('REVOKE UPDATE ON MESA FROM %s', r);
  END LOOP;
END $$;

-- The policies name the column; they come back keyed by identity.
DROP POLICY QDL_PROPRIO ON QDL_TERMINAL_FILIAL;
DROP POLICY QDL_FILIAL ON LOJA;
DROP POLICY QDL_FILIAL ON CONFTELA;
DROP POLICY QDL_FILIAL ON SALA;
DROP POLICY QDL_FILIAL ON MESA;
DROP POLICY QDL_SO_TRAVA ON MESA;
DROP POLICY QDL_FILIAL ON ITMENUCONFTE;
DROP POLICY QDL_FILIAL ON QDL_HISTORICO;
ALTER TABLE QDL_TERMINAL_FILIAL DROP CONSTRAINT PK_QDL_TERMINAL_FILIAL;
ALTER TABLE QDL_TERMINAL_FILIAL DROP COLUMN ROLNAME;
ALTER TABLE QDL_TERMINAL_FILIAL ALTER COLUMN ROLOID SET NOT NULL;
ALTER TABLE QDL_TERMINAL_FILIAL ADD CONSTRAINT PK_QDL_TERMINAL_FILIAL PRIMARY KEY (ROLOID, CDFILIAL);

-- Every role reads the list, as the policies need (a database restored
-- without its grants gets it back here).
GRANT SELECT ON QDL_TERMINAL_FILIAL TO PUBLIC;
-- A role sees only its own rows of the list. A role in the list sees only
-- its branches' rows of the six tables with CDFILIAL; a role not in it (a
-- sales program's, set up by hand) sees and writes what its grants allow:
-- unlisted, every row matches its own branch. The role is found by
-- identity through the catalog's cache (to_regrole), and its branches are
-- read once a statement, in an init plan: the policies cost a terminal's
-- reads little to plan and less to run. A policy names the list by its
-- identity, so no temporary table of that name stands in for it.
CREATE POLICY QDL_PROPRIO ON QDL_TERMINAL_FILIAL FOR SELECT USING (ROLOID = to_regrole(quote_ident(current_user)));
DO $$
DECLARE
  t text;
BEGIN
  FOREACH t IN ARRAY ARRAY['LOJA', 'CONFTELA', 'SALA', 'MESA', 'ITMENUCONFTE', 'QDL_HISTORICO'] LOOP
    EXECUTE format('CREATE POLICY QDL_FILIAL ON %s FOR %s USING (CDFILIAL = ANY (COALESCE('
                   '(SELECT array_agg(T.CDFILIAL) FROM QDL_TERMINAL_FILIAL T WHERE T.ROLOID = to_regrole(quote_ident(current_user))), '
                   'ARRAY[CDFILIAL])))',
                   t, CASE WHEN t = 'QDL_HISTORICO' THEN 'SELECT' ELSE 'ALL' END);
  END LOOP;
END $$;

-- Every operation asks this first. The login is asked (session_user): the
-- operation runs as the owner, and a SET ROLE does not widen a terminal.
CREATE FUNCTION QDL_CONFERE_FILIAL(filial varchar) RETURNS void LANGUAGE plpgsql STABLE AS $$
DECLARE
  login oid := to_regrole(quote_ident(session_user));
BEGIN
  IF EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLOID = login)
     AND NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLOID = login AND T.CDFILIAL = filial) THEN
    RAISE EXCEPTION 'permission denied for branch %', filial USING ERRCODE = 'insufficient_privilege';
  END IF;
END $$;
REVOKE ALL ON FUNCTION QDL_CONFERE_FILIAL FROM PUBLIC;
-- The history read in time order, newest first, whatever the filter: by
-- time alone, by branch and time (a branch with every configuration), and
-- the branch and configuration by IX_QDL_HISTORICO_CONF; a prune finds the
-- oldest records by time.
CREATE INDEX IX_QDL_HISTORICO_DATA ON QDL_HISTORICO (DTALTERACAO, NRHISTORICO);
CREATE INDEX IX_QDL_HISTORICO_FILIAL ON QDL_HISTORICO (CDFILIAL, DTALTERACAO, NRHISTORICO);
INSERT INTO QDL_VERSAO (NRVERSAO) VALUES (4);
