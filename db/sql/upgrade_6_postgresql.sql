-- From version 5 to version 6: a condition the server itself holds a
-- transaction to.
--
-- A writer that sends a whole transaction ahead, its COMMIT included, asks
-- the server to check what it read is still so (QDL_EXIGE(condition,
-- why) among the statements): when it is not, the call fails, the rest of
-- the transaction is refused and the COMMIT only ends it. It runs with the
-- caller's rights and changes nothing.
CREATE FUNCTION QDL_EXIGE(condicao boolean, motivo text) RETURNS integer LANGUAGE plpgsql AS $$
BEGIN
  IF condicao IS NOT TRUE THEN
    RAISE EXCEPTION USING ERRCODE = 'QDL01', MESSAGE = motivo;
  END IF;
  RETURN 1;
END $$;
DO $$ BEGIN
  EXECUTE format('ALTER FUNCTION QDL_EXIGE(boolean, text) SET search_path = %I, pg_temp', current_schema());
END $$;
-- Anyone's to run, whatever the database's default rights for new
-- functions: it gives no right of its own.
GRANT EXECUTE ON FUNCTION QDL_EXIGE(boolean, text) TO PUBLIC;

INSERT INTO QDL_VERSAO (NRVERSAO) VALUES (6);
