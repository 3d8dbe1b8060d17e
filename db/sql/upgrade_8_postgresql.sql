-- From version 7 to version 8: the door closed to every caller the owner's
-- functions were not written for.
--
-- 1. The history's three trigger functions run with the owner's rights.
--    Nobody may attach them to a table of their own (EXECUTE is checked
--    when a trigger is made, not when it fires), and each refuses to run
--    for any table but ITMENUCONFTE before it reads a column: a temporary
--    table whose column types are its maker's would otherwise run the
--    maker's code as the owner, or write the maker's records.
REVOKE ALL ON FUNCTION QDL_GUARDA_HISTORICO() FROM PUBLIC;
REVOKE ALL ON FUNCTION QDL_GUARDA_INCLUSOES() FROM PUBLIC;
REVOKE ALL ON FUNCTION QDL_GUARDA_EXCLUSOES() FROM PUBLIC;

-- The layout's own table, as the functions' search_path finds it.
CREATE FUNCTION QDL_SO_LEIAUTE(tabela oid, funcao text) RETURNS void LANGUAGE plpgsql STABLE AS $$
BEGIN
  IF tabela IS DISTINCT FROM 'itmenuconfte'::regclass THEN
    RAISE EXCEPTION '% guarda só a história de ITMENUCONFTE', funcao USING ERRCODE = 'insufficient_privilege';
  END IF;
END $$;
REVOKE ALL ON FUNCTION QDL_SO_LEIAUTE(oid, text) FROM PUBLIC;

CREATE OR REPLACE FUNCTION QDL_GUARDA_HISTORICO() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$
BEGIN
  PERFORM QDL_SO_LEIAUTE(TG_RELID, 'QDL_GUARDA_HISTORICO');
  INSERT INTO QDL_HISTORICO (IDOPERACAO, CDFILIAL, NRCONFTELA, DSCHAVE, DSQUEM, DSANTES, DSDEPOIS)
  VALUES ('U', NEW.CDFILIAL, NEW.NRCONFTELA,
    CASE WHEN (OLD.CDFILIAL, OLD.NRCONFTELA, OLD.IDTPBUTTON, OLD.NRBUTTON, OLD.NRPGCONFTELA, OLD.IDTPBUTONAUX,
               OLD.NRBUTTONAUX, OLD.NRPGCONFTAUX)
              = (NEW.CDFILIAL, NEW.NRCONFTELA, NEW.IDTPBUTTON, NEW.NRBUTTON, NEW.NRPGCONFTELA, NEW.IDTPBUTONAUX,
                 NEW.NRBUTTONAUX, NEW.NRPGCONFTAUX)
         THEN json_build_array(NEW.IDTPBUTTON, NEW.NRBUTTON, NEW.NRPGCONFTELA, NEW.IDTPBUTONAUX, NEW.NRBUTTONAUX, NEW.NRPGCONFTAUX)::text END,
    QDL_QUEM(),
    json_build_object('CDFILIAL', OLD.CDFILIAL, 'NRCONFTELA', OLD.NRCONFTELA, 'IDTPBUTTON', OLD.IDTPBUTTON,
      'NRBUTTON', OLD.NRBUTTON, 'CDIDENTBUTON', OLD.CDIDENTBUTON, 'DSBUTTON', OLD.DSBUTTON,
      'NRCOLORTEXT', OLD.NRCOLORTEXT, 'NRCOLORBACK', OLD.NRCOLORBACK, 'DSMESSAGEBUT', OLD.DSMESSAGEBUT,
      'IDTPBUTONAUX', OLD.IDTPBUTONAUX, 'NRBUTTONAUX', OLD.NRBUTTONAUX, 'NRPGCONFTELA', OLD.NRPGCONFTELA,
      'NRPGCONFTAUX', OLD.NRPGCONFTAUX, 'DTULTATUITCT', OLD.DTULTATUITCT)::text,
    json_build_object('CDFILIAL', NEW.CDFILIAL, 'NRCONFTELA', NEW.NRCONFTELA, 'IDTPBUTTON', NEW.IDTPBUTTON,
      'NRBUTTON', NEW.NRBUTTON, 'CDIDENTBUTON', NEW.CDIDENTBUTON, 'DSBUTTON', NEW.DSBUTTON,
      'NRCOLORTEXT', NEW.NRCOLORTEXT, 'NRCOLORBACK', NEW.NRCOLORBACK, 'DSMESSAGEBUT', NEW.DSMESSAGEBUT,
      'IDTPBUTONAUX', NEW.IDTPBUTONAUX, 'NRBUTTONAUX', NEW.NRBUTTONAUX, 'NRPGCONFTELA', NEW.NRPGCONFTELA,
      'NRPGCONFTAUX', NEW.NRPGCONFTAUX, 'DTULTATUITCT', NEW.DTULTATUITCT)::text);
  RETURN NULL;
END $$;

CREATE OR REPLACE FUNCTION QDL_GUARDA_INCLUSOES() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$
BEGIN
  PERFORM QDL_SO_LEIAUTE(TG_RELID, 'QDL_GUARDA_INCLUSOES');
  INSERT INTO QDL_HISTORICO (IDOPERACAO, CDFILIAL, NRCONFTELA, DSCHAVE, DSQUEM, DSANTES, DSDEPOIS)
  SELECT 'I', N.CDFILIAL, N.NRCONFTELA, json_build_array(N.IDTPBUTTON, N.NRBUTTON, N.NRPGCONFTELA, N.IDTPBUTONAUX, N.NRBUTTONAUX, N.NRPGCONFTAUX)::text, QDL_QUEM(), NULL,
    json_build_object('CDFILIAL', N.CDFILIAL, 'NRCONFTELA', N.NRCONFTELA, 'IDTPBUTTON', N.IDTPBUTTON,
      'NRBUTTON', N.NRBUTTON, 'CDIDENTBUTON', N.CDIDENTBUTON, 'DSBUTTON', N.DSBUTTON,
      'NRCOLORTEXT', N.NRCOLORTEXT, 'NRCOLORBACK', N.NRCOLORBACK, 'DSMESSAGEBUT', N.DSMESSAGEBUT,
      'IDTPBUTONAUX', N.IDTPBUTONAUX, 'NRBUTTONAUX', N.NRBUTTONAUX, 'NRPGCONFTELA', N.NRPGCONFTELA,
      'NRPGCONFTAUX', N.NRPGCONFTAUX, 'DTULTATUITCT', N.DTULTATUITCT)::text
  FROM QDL_INCLUIDAS N;
  RETURN NULL;
END $$;

CREATE OR REPLACE FUNCTION QDL_GUARDA_EXCLUSOES() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$
BEGIN
  PERFORM QDL_SO_LEIAUTE(TG_RELID, 'QDL_GUARDA_EXCLUSOES');
  INSERT INTO QDL_HISTORICO (IDOPERACAO, CDFILIAL, NRCONFTELA, DSCHAVE, DSQUEM, DSANTES, DSDEPOIS)
  SELECT 'D', O.CDFILIAL, O.NRCONFTELA, json_build_array(O.IDTPBUTTON, O.NRBUTTON, O.NRPGCONFTELA, O.IDTPBUTONAUX, O.NRBUTTONAUX, O.NRPGCONFTAUX)::text, QDL_QUEM(),
    json_build_object('CDFILIAL', O.CDFILIAL, 'NRCONFTELA', O.NRCONFTELA, 'IDTPBUTTON', O.IDTPBUTTON,
      'NRBUTTON', O.NRBUTTON, 'CDIDENTBUTON', O.CDIDENTBUTON, 'DSBUTTON', O.DSBUTTON,
      'NRCOLORTEXT', O.NRCOLORTEXT, 'NRCOLORBACK', O.NRCOLORBACK, 'DSMESSAGEBUT', O.DSMESSAGEBUT,
      'IDTPBUTONAUX', O.IDTPBUTONAUX, 'NRBUTTONAUX', O.NRBUTTONAUX, 'NRPGCONFTELA', O.NRPGCONFTELA,
      'NRPGCONFTAUX', O.NRPGCONFTAUX, 'DTULTATUITCT', O.DTULTATUITCT)::text, NULL
  FROM QDL_EXCLUIDAS O;
  RETURN NULL;
END $$;

-- 2. A terminal is known by membership: a role's branches are those of
--    every listed role it is a member of, directly or through groups (a
--    chain grants a group once and adds logins to it). QDL_PAPEIS(role)
--    is the role and every role it is a member of, walked from the role up
--    through pg_auth_members by its index: a few lookups, however many
--    roles the server has. A superuser is a member of nothing here (it
--    passes every policy anyway).
CREATE FUNCTION QDL_PAPEIS(papel name) RETURNS SETOF oid LANGUAGE sql STABLE AS $$
  WITH RECURSIVE m(oid) AS (
    SELECT pg_catalog.to_regrole(pg_catalog.quote_ident(papel))
    UNION
    SELECT a.roleid FROM pg_catalog.pg_auth_members a JOIN m ON a.member = m.oid)
  SELECT oid FROM m WHERE oid IS NOT NULL
$$;
GRANT EXECUTE ON FUNCTION QDL_PAPEIS(name) TO PUBLIC;

-- Each policy asks once a statement (an init plan) for the branches of the
-- roles the current role is; none listed means unrestricted. A role sees
-- the list's rows of every role it is a member of, which the other
-- policies' lookup needs.
DROP POLICY QDL_PROPRIO ON QDL_TERMINAL_FILIAL;
CREATE POLICY QDL_PROPRIO ON QDL_TERMINAL_FILIAL FOR SELECT USING (ROLOID IN (SELECT P FROM QDL_PAPEIS(current_user) P));
DO $$
DECLARE
  t text;
BEGIN
  FOREACH t IN ARRAY ARRAY['LOJA', 'CONFTELA', 'SALA', 'MESA', 'ITMENUCONFTE', 'QDL_HISTORICO'] LOOP
    EXECUTE format('DROP POLICY QDL_FILIAL ON %s', t);
    EXECUTE format('CREATE POLICY QDL_FILIAL ON %s FOR %s USING (CDFILIAL = ANY (COALESCE('
                   '(SELECT array_agg(T.CDFILIAL) FROM QDL_TERMINAL_FILIAL T WHERE T.ROLOID IN (SELECT P FROM QDL_PAPEIS(current_user) P)), '
                   'ARRAY[CDFILIAL])))',
                   t, CASE WHEN t = 'QDL_HISTORICO' THEN 'SELECT' ELSE 'ALL' END);
  END LOOP;
END $$;

-- Every operation asks this first, about the login (session_user: the
-- operation runs as the owner, and a SET ROLE does not widen a terminal).
-- A login that may act as the owner is the owner.
CREATE OR REPLACE FUNCTION QDL_CONFERE_FILIAL(filial varchar) RETURNS void LANGUAGE plpgsql STABLE AS $$
DECLARE
  filiais varchar[];
BEGIN
  IF pg_has_role(session_user, current_user, 'MEMBER') THEN
    RETURN;
  END IF;
  SELECT array_agg(T.CDFILIAL) INTO filiais FROM QDL_TERMINAL_FILIAL T WHERE T.ROLOID IN (SELECT P FROM QDL_PAPEIS(session_user) P);
  IF filiais IS NOT NULL AND NOT filial = ANY (filiais) THEN
    RAISE EXCEPTION 'permission denied for branch %', filial USING ERRCODE = 'insufficient_privilege';
  END IF;
END $$;
REVOKE ALL ON FUNCTION QDL_CONFERE_FILIAL(varchar) FROM PUBLIC;

-- Each function runs with the tables' own schema first and nothing a
-- caller could put before it.
DO $$ BEGIN
  EXECUTE format('ALTER FUNCTION QDL_GUARDA_HISTORICO() SET search_path = %I, pg_temp', current_schema());
  EXECUTE format('ALTER FUNCTION QDL_GUARDA_INCLUSOES() SET search_path = %I, pg_temp', current_schema());
  EXECUTE format('ALTER FUNCTION QDL_GUARDA_EXCLUSOES() SET search_path = %I, pg_temp', current_schema());
  EXECUTE format('ALTER FUNCTION QDL_SO_LEIAUTE(oid, text) SET search_path = %I, pg_temp', current_schema());
  EXECUTE format('ALTER FUNCTION QDL_CONFERE_FILIAL(varchar) SET search_path = %I, pg_temp', current_schema());
END $$;

INSERT INTO QDL_VERSAO (NRVERSAO) VALUES (8);
