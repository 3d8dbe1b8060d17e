-- Tables the table-screen configuration reads and writes (SQLite).
-- Keys and codes are text; colours are numbers. SQLite does not enforce
-- declared widths or types, so the checks below keep the rows in the shape
-- PostgreSQL would accept: a colour that is not a number fails here too.

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
    CDSALA     VARCHAR(10) NOT NULL CONSTRAINT CK_SALA_CDSALA CHECK (length(CDSALA) <= 10),
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
    -- A longer caption is refused as PostgreSQL refuses it: stored whole, it
    -- would come back cut to the screen's forty characters.
    DSBUTTON      VARCHAR(40)  CONSTRAINT CK_ITMENUCONFTE_DSBUTTON CHECK (length(DSBUTTON) <= 40),
    NRCOLORTEXT   NUMERIC(10)  CONSTRAINT CK_ITMENUCONFTE_NRCOLORTEXT
                               CHECK (NRCOLORTEXT IS NULL OR typeof(NRCOLORTEXT) IN ('integer', 'real')),
    NRCOLORBACK   NUMERIC(10)  CONSTRAINT CK_ITMENUCONFTE_NRCOLORBACK
                               CHECK (NRCOLORBACK IS NULL OR typeof(NRCOLORBACK) IN ('integer', 'real')),
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

-- The schema's version (db/schemaversion.h): what --upgrade starts from.
PRAGMA user_version = 2;
