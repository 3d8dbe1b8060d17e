-- From version 1 to version 2: branches kept apart by the server. The roles
-- that qdl-host --grant-terminal set up are listed with their branches in
-- QDL_TERMINAL_FILIAL; row-level security on the five tables with CDFILIAL
-- lets such a role see and change only its branches' rows. A role not in
-- the list (a sales terminal's, set up by hand) keeps the access its grants
-- give. The schema's owner is the tables' owner and is not subject to the
-- policies (no FORCE).
CREATE TABLE QDL_TERMINAL_FILIAL (
    ROLNAME   VARCHAR(63) NOT NULL,
    CDFILIAL  VARCHAR(4)  NOT NULL,
    CONSTRAINT PK_QDL_TERMINAL_FILIAL PRIMARY KEY (ROLNAME, CDFILIAL)
);
-- Every role that reads the five tables runs the policies' subqueries, so
-- every role may read the list; its own policy shows a role only its own
-- rows (a role not in the list sees none, which is what makes it
-- unrestricted). Nobody but the owner writes it: a terminal cannot widen
-- its own access.
GRANT SELECT ON QDL_TERMINAL_FILIAL TO PUBLIC;
ALTER TABLE QDL_TERMINAL_FILIAL ENABLE ROW LEVEL SECURITY;
CREATE POLICY QDL_PROPRIO ON QDL_TERMINAL_FILIAL FOR SELECT USING (ROLNAME = current_user::text);

ALTER TABLE LOJA ENABLE ROW LEVEL SECURITY;
CREATE POLICY QDL_FILIAL ON LOJA
  USING (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text))
  WITH CHECK (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text));
ALTER TABLE CONFTELA ENABLE ROW LEVEL SECURITY;
CREATE POLICY QDL_FILIAL ON CONFTELA
  USING (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text))
  WITH CHECK (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text));
ALTER TABLE SALA ENABLE ROW LEVEL SECURITY;
CREATE POLICY QDL_FILIAL ON SALA
  USING (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text))
  WITH CHECK (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text));
ALTER TABLE MESA ENABLE ROW LEVEL SECURITY;
CREATE POLICY QDL_FILIAL ON MESA
  USING (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text))
  WITH CHECK (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text));
-- The screen only locks tables (FOR SHARE, area removal), which needs the
-- UPDATE privilege on a column: a terminal role holds it on IDSTMESAAUX
-- alone, and this policy refuses any row it would actually write.
CREATE POLICY QDL_SO_TRAVA ON MESA AS RESTRICTIVE FOR UPDATE
  USING (true)
  WITH CHECK (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text));
ALTER TABLE ITMENUCONFTE ENABLE ROW LEVEL SECURITY;
CREATE POLICY QDL_FILIAL ON ITMENUCONFTE
  USING (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text))
  WITH CHECK (NOT EXISTS (SELECT 1 FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text)
         OR CDFILIAL IN (SELECT T.CDFILIAL FROM QDL_TERMINAL_FILIAL T WHERE T.ROLNAME = current_user::text));
INSERT INTO QDL_VERSAO (NRVERSAO) VALUES (2);
