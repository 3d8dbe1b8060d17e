-- Tables the table-screen configuration reads and writes (PostgreSQL).
-- Keys and codes are text; colours are numbers. Kept in step with
-- schema_sqlite.sql, which adds the checks SQLite needs to refuse what
-- PostgreSQL's column types already refuse.

CREATE TABLE LOJA (
    CDFILIAL      VARCHAR(4)  NOT NULL,
    CDLOJA        VARCHAR(10) NOT NULL,
    NRMESAPADRAO  VARCHAR(10),
    CONSTRAINT PK_LOJA PRIMARY KEY (CDFILIAL, CDLOJA)
);

CREATE TABLE CONFTELA (
    CDFILIAL    VARCHAR(4)  NOT NULL,
    NRCONFTELA  VARCHAR(5)  NOT NULL,
    CDLOJA      VARCHAR(10) NOT NULL,
    CONSTRAINT PK_CONFTELA PRIMARY KEY (CDFILIAL, NRCONFTELA)
);

-- Area codes are at most ten characters, the width every client field that
-- carries one keeps whole (pick list, placed areas, pending changes); a
-- longer code would come back cut and no longer match its own tables.
CREATE TABLE SALA (
    CDFILIAL   VARCHAR(4)  NOT NULL,
    CDSALA     VARCHAR(10) NOT NULL,
    NMSALA     VARCHAR(30) NOT NULL,
    IDSITSALA  VARCHAR(1)  NOT NULL,
    CONSTRAINT PK_SALA PRIMARY KEY (CDFILIAL, CDSALA)
);

CREATE TABLE MESA (
    CDFILIAL      VARCHAR(4)  NOT NULL,
    CDLOJA        VARCHAR(10) NOT NULL,
    NRMESA        VARCHAR(10) NOT NULL,
    CDSALA        VARCHAR(10) NOT NULL,
    NMMESA        VARCHAR(30) NOT NULL,
    IDSTMESA      VARCHAR(1)  NOT NULL,
    IDSTMESAAUX   VARCHAR(1)  NOT NULL,
    NRPESSOAMESA  NUMERIC(4),
    DSPOSICMESA   VARCHAR(60),
    CONSTRAINT PK_MESA PRIMARY KEY (CDFILIAL, CDLOJA, NRMESA)
);

-- getMesas (branch, store, area).
CREATE INDEX IX_MESA_LOJA_SALA ON MESA (CDFILIAL, CDLOJA, CDSALA);
-- Tables found by number alone (the delete checks) or by area (area removal).
CREATE INDEX IX_MESA_NRMESA ON MESA (CDFILIAL, NRMESA, CDSALA);
CREATE INDEX IX_MESA_SALA ON MESA (CDFILIAL, CDSALA, IDSTMESAAUX);

CREATE TABLE ITMENUCONFTE (
    CDFILIAL      VARCHAR(4)   NOT NULL,
    NRCONFTELA    VARCHAR(5)   NOT NULL,
    IDTPBUTTON    VARCHAR(1)   NOT NULL,
    NRBUTTON      VARCHAR(2)   NOT NULL,
    CDIDENTBUTON  VARCHAR(10)  NOT NULL,
    DSBUTTON      VARCHAR(40),
    NRCOLORTEXT   NUMERIC(10),
    NRCOLORBACK   NUMERIC(10),
    DSMESSAGEBUT  VARCHAR(255),
    IDTPBUTONAUX  VARCHAR(1)   NOT NULL,
    NRBUTTONAUX   VARCHAR(2)   NOT NULL,
    NRPGCONFTELA  VARCHAR(4)   NOT NULL,
    NRPGCONFTAUX  VARCHAR(4)   NOT NULL,
    DTULTATUITCT  TIMESTAMP,
    CONSTRAINT PK_ITMENUCONFTE PRIMARY KEY (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA,
                                            IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX),
    -- An area or a table stands on at most one button of a configuration.
    CONSTRAINT UK_ITMENUCONFTE_IDENT UNIQUE (CDFILIAL, NRCONFTELA, IDTPBUTTON, CDIDENTBUTON)
);

-- The table buttons under one area button (table menu, area removal).
CREATE INDEX IX_ITMENUCONFTE_PAI ON ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTONAUX, NRBUTTONAUX,
                                                   NRPGCONFTAUX, NRPGCONFTELA);
-- Every lookup of one button (rename, recolour, delete, getMesaNrButon,
-- getAmbNrbuton) names the whole key and goes through the primary key.

-- Open screens show what other terminals change: every change to a button
-- names its branch and configuration on the channel qdl_layout. Created with
-- the schema, by its owner; the function runs with the rights of whoever
-- writes the row, and a screen never creates it.
CREATE FUNCTION QDL_AVISA_LEIAUTE() RETURNS trigger AS $$
BEGIN
  IF TG_OP <> 'INSERT' THEN PERFORM pg_notify('qdl_layout', OLD.CDFILIAL || '-' || OLD.NRCONFTELA); END IF;
  IF TG_OP <> 'DELETE' THEN PERFORM pg_notify('qdl_layout', NEW.CDFILIAL || '-' || NEW.NRCONFTELA); END IF;
  RETURN NULL;
END $$ LANGUAGE plpgsql;
CREATE TRIGGER QDL_ITMENUCONFTE_AVISA AFTER INSERT OR UPDATE OR DELETE ON ITMENUCONFTE
  FOR EACH ROW EXECUTE FUNCTION QDL_AVISA_LEIAUTE();

-- The schema's version (db/schemaversion.h), one row per step applied: what
-- --upgrade starts from.
CREATE TABLE QDL_VERSAO (
    NRVERSAO     INTEGER   NOT NULL,
    DTAPLICACAO  TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    CONSTRAINT PK_QDL_VERSAO PRIMARY KEY (NRVERSAO)
);
INSERT INTO QDL_VERSAO (NRVERSAO) VALUES (1);

-- Branches kept apart by the server (README, "Terminal roles and branches"):
-- the roles qdl-host --grant-terminal set up, with their branches, and
-- row-level security on the five tables with CDFILIAL.
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
