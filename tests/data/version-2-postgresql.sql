--
-- PostgreSQL database dump
--

\restrict eP44SJQUkhqfGKNxjr6lxZVwgDFWCdfl2xKdjxkwi3YtCqhDpuBcHtwZ6TuFV5x

-- Dumped from database version 15.18 (Debian 15.18-0+deb12u1)
-- Dumped by pg_dump version 15.18 (Debian 15.18-0+deb12u1)

SET statement_timeout = 0;
SET lock_timeout = 0;
SET idle_in_transaction_session_timeout = 0;
SET client_encoding = 'UTF8';
SET standard_conforming_strings = on;
SELECT pg_catalog.set_config('search_path', '', false);
SET check_function_bodies = false;
SET xmloption = content;
SET client_min_messages = warning;
SET row_security = off;

--
-- Name: qdl_avisa_leiaute(); Type: FUNCTION; Schema: public; Owner: -
--

CREATE FUNCTION public.qdl_avisa_leiaute() RETURNS trigger
    LANGUAGE plpgsql
    AS $$
BEGIN
  IF TG_OP <> 'INSERT' THEN PERFORM pg_notify('qdl_layout', OLD.CDFILIAL || '-' || OLD.NRCONFTELA); END IF;
  IF TG_OP <> 'DELETE' THEN PERFORM pg_notify('qdl_layout', NEW.CDFILIAL || '-' || NEW.NRCONFTELA); END IF;
  RETURN NULL;
END $$;


SET default_tablespace = '';

SET default_table_access_method = heap;

--
-- Name: conftela; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.conftela (
    cdfilial character varying(4) NOT NULL,
    nrconftela character varying(5) NOT NULL,
    cdloja character varying(10) NOT NULL
);


--
-- Name: itmenuconfte; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.itmenuconfte (
    cdfilial character varying(4) NOT NULL,
    nrconftela character varying(5) NOT NULL,
    idtpbutton character varying(1) NOT NULL,
    nrbutton character varying(2) NOT NULL,
    cdidentbuton character varying(10) NOT NULL,
    dsbutton character varying(40),
    nrcolortext numeric(10,0),
    nrcolorback numeric(10,0),
    dsmessagebut character varying(255),
    idtpbutonaux character varying(1) NOT NULL,
    nrbuttonaux character varying(2) NOT NULL,
    nrpgconftela character varying(4) NOT NULL,
    nrpgconftaux character varying(4) NOT NULL,
    dtultatuitct timestamp without time zone
);


--
-- Name: loja; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.loja (
    cdfilial character varying(4) NOT NULL,
    cdloja character varying(10) NOT NULL,
    nrmesapadrao character varying(10)
);


--
-- Name: mesa; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.mesa (
    cdfilial character varying(4) NOT NULL,
    cdloja character varying(10) NOT NULL,
    nrmesa character varying(10) NOT NULL,
    cdsala character varying(10) NOT NULL,
    nmmesa character varying(30) NOT NULL,
    idstmesa character varying(1) NOT NULL,
    idstmesaaux character varying(1) NOT NULL,
    nrpessoamesa numeric(4,0),
    dsposicmesa character varying(60)
);


--
-- Name: qdl_terminal_filial; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.qdl_terminal_filial (
    rolname character varying(63) NOT NULL,
    cdfilial character varying(4) NOT NULL
);


--
-- Name: qdl_versao; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.qdl_versao (
    nrversao integer NOT NULL,
    dtaplicacao timestamp without time zone DEFAULT CURRENT_TIMESTAMP NOT NULL
);


--
-- Name: sala; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.sala (
    cdfilial character varying(4) NOT NULL,
    cdsala character varying(10) NOT NULL,
    nmsala character varying(30) NOT NULL,
    idsitsala character varying(1) NOT NULL
);


--
-- Data for Name: conftela; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.conftela VALUES ('9999', '00001', '00001');
INSERT INTO public.conftela VALUES ('9999', '00002', '01');
INSERT INTO public.conftela VALUES ('0001', '00001', '00001');


--
-- Data for Name: itmenuconfte; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '4', '02', 'VAR', 'Varanda', 0, 11571344, NULL, '0', '0', '1', '0', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '4', '03', 'BALCA', 'Balcão', 16777215, 8388608, NULL, '0', '0', '1', '0', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '01', '1', 'Mesa 01', 0, 11571344, NULL, '4', '01', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '04', '4', 'Mesa 04', 0, 11571344, NULL, '4', '01', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '05', '5', 'Mesa 05', 0, 11571344, NULL, '4', '01', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '06', '6', 'Mesa 06', 0, 11571344, NULL, '4', '01', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '07', '7', 'Mesa 07', 0, 11571344, NULL, '4', '01', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '08', '8', 'Mesa 08', 0, 11571344, NULL, '4', '01', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '01', '9', 'Mesa 09', 0, 11571344, NULL, '4', '01', '2', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '01', '21', 'Varanda 01', 0, 11571344, NULL, '4', '02', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '03', '23', 'Varanda 03', 0, 11571344, NULL, '4', '02', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '04', '24', 'Varanda 04', 0, 11571344, NULL, '4', '02', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '01', '49', 'Banqueta 1', 255, 65535, NULL, '4', '03', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '4', '01', 'SAL', 'Salão Novo', 0, 11571344, NULL, '0', '0', '1', '0', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '02', '2', 'Mesa 02', 16777215, 255, NULL, '4', '01', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '02', '10', 'Mesa 10', 16777215, 255, NULL, '4', '01', '2', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '02', '22', 'Varanda 02', 16777215, 255, NULL, '4', '02', '1', '1', '2024-03-15 10:30:00');
INSERT INTO public.itmenuconfte VALUES ('9999', '00001', '3', '02', '50', 'Banqueta 2', 16777215, 255, NULL, '4', '03', '1', '1', '2024-03-15 10:30:00');


--
-- Data for Name: loja; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.loja VALUES ('9999', '00001', '99');
INSERT INTO public.loja VALUES ('9999', '01', '199');
INSERT INTO public.loja VALUES ('0001', '00001', NULL);


--
-- Data for Name: mesa; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.mesa VALUES ('9999', '00001', '1', 'SAL', 'Mesa 01', 'A', 'D', 4, 'Centro');
INSERT INTO public.mesa VALUES ('9999', '00001', '2', 'SAL', 'Mesa 02', 'A', 'D', 4, 'Corredor');
INSERT INTO public.mesa VALUES ('9999', '00001', '3', 'SAL', 'Mesa 03', 'A', 'D', 6, 'Canto');
INSERT INTO public.mesa VALUES ('9999', '00001', '4', 'SAL', 'Mesa 04', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '5', 'SAL', 'Mesa 05', 'A', 'O', 4, 'Janela');
INSERT INTO public.mesa VALUES ('9999', '00001', '6', 'SAL', 'Mesa 06', 'A', 'D', 6, 'Centro');
INSERT INTO public.mesa VALUES ('9999', '00001', '7', 'SAL', 'Mesa 07', 'A', 'D', 4, 'Corredor');
INSERT INTO public.mesa VALUES ('9999', '00001', '8', 'SAL', 'Mesa 08', 'A', 'S', 4, 'Canto');
INSERT INTO public.mesa VALUES ('9999', '00001', '9', 'SAL', 'Mesa 09', 'A', 'D', 6, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '10', 'SAL', 'Mesa 10', 'A', 'D', 4, 'Janela');
INSERT INTO public.mesa VALUES ('9999', '00001', '11', 'SAL', 'Mesa 11', 'A', 'D', 4, 'Centro');
INSERT INTO public.mesa VALUES ('9999', '00001', '12', 'SAL', 'Mesa 12', 'A', 'D', 6, 'Corredor');
INSERT INTO public.mesa VALUES ('9999', '00001', '13', 'SAL', 'Mesa 13', 'A', 'D', 4, 'Canto');
INSERT INTO public.mesa VALUES ('9999', '00001', '14', 'SAL', 'Mesa 14', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '15', 'SAL', 'Mesa 15', 'A', 'D', 6, 'Janela');
INSERT INTO public.mesa VALUES ('9999', '00001', '16', 'SAL', 'Mesa 16', 'A', 'D', 4, 'Centro');
INSERT INTO public.mesa VALUES ('9999', '00001', '17', 'SAL', 'Mesa 17', 'A', 'D', 4, 'Corredor');
INSERT INTO public.mesa VALUES ('9999', '00001', '18', 'SAL', 'Mesa 18', 'A', 'D', 6, 'Canto');
INSERT INTO public.mesa VALUES ('9999', '00001', '19', 'SAL', 'Mesa 19', 'I', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '20', 'SAL', 'Mesa 20', 'I', 'D', 4, 'Janela');
INSERT INTO public.mesa VALUES ('9999', '00001', '21', 'VAR', 'Varanda 01', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '22', 'VAR', 'Varanda 02', 'A', 'O', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '23', 'VAR', 'Varanda 03', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '24', 'VAR', 'Varanda 04', 'A', 'D', 4, 'Vista para a rua');
INSERT INTO public.mesa VALUES ('9999', '00001', '25', 'VAR', 'Varanda 05', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '26', 'VAR', 'Varanda 06', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '27', 'VAR', 'Varanda 07', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '28', 'VAR', 'Varanda 08', 'A', 'D', 4, 'Vista para a rua');
INSERT INTO public.mesa VALUES ('9999', '00001', '29', 'VAR', 'Varanda 09', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '30', 'VAR', 'Varanda 10', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '31', 'VAR', 'Varanda 11', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '32', 'VAR', 'Varanda 12', 'A', 'D', 4, 'Vista para a rua');
INSERT INTO public.mesa VALUES ('9999', '00001', '33', 'TER', 'Terraço 01', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '34', 'TER', 'Terraço 02', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '35', 'TER', 'Terraço 03', 'A', 'O', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '36', 'TER', 'Terraço 04', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '37', 'TER', 'Terraço 05', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '38', 'TER', 'Terraço 06', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '39', 'TER', 'Terraço 07', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '40', 'TER', 'Terraço 08', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '41', 'TER', 'Terraço 09', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '42', 'TER', 'Terraço 10', 'I', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '43', 'AVIP', 'Camarote 1', 'A', 'D', 8, 'Reservado');
INSERT INTO public.mesa VALUES ('9999', '00001', '44', 'AVIP', 'Camarote 2', 'A', 'D', 8, 'Reservado');
INSERT INTO public.mesa VALUES ('9999', '00001', '45', 'AVIP', 'Camarote 3', 'A', 'S', 8, 'Reservado');
INSERT INTO public.mesa VALUES ('9999', '00001', '46', 'AVIP', 'Camarote 4', 'A', 'D', 8, 'Reservado');
INSERT INTO public.mesa VALUES ('9999', '00001', '47', 'AVIP', 'Camarote 5', 'A', 'D', 8, 'Reservado');
INSERT INTO public.mesa VALUES ('9999', '00001', '48', 'AVIP', 'Camarote 6', 'A', 'D', 8, 'Reservado');
INSERT INTO public.mesa VALUES ('9999', '00001', '49', 'BALCA', 'Banqueta 1', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '50', 'BALCA', 'Banqueta 2', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '51', 'BALCA', 'Banqueta 3', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '52', 'BALCA', 'Banqueta 4', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '53', 'BALCA', 'Banqueta 5', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '54', 'BALCA', 'Banqueta 6', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '55', 'BALCA', 'Banqueta 7', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '56', 'BALCA', 'Banqueta 8', 'A', 'D', 1, 'Balcão do bar');
INSERT INTO public.mesa VALUES ('9999', '00001', '57', 'MEZAN', 'Mezanino 1', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '58', 'MEZAN', 'Mezanino 2', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '59', 'MEZAN', 'Mezanino 3', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '60', 'MEZAN', 'Mezanino 4', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '00001', '61', 'DECK', 'Guarda-sol 1', 'A', 'D', 4, 'Beira da piscina');
INSERT INTO public.mesa VALUES ('9999', '00001', '62', 'DECK', 'Guarda-sol 2', 'A', 'D', 4, 'Beira da piscina');
INSERT INTO public.mesa VALUES ('9999', '00001', '63', 'DECK', 'Guarda-sol 3', 'A', 'D', 4, 'Beira da piscina');
INSERT INTO public.mesa VALUES ('9999', '00001', '64', 'DECK', 'Guarda-sol 4', 'A', 'D', 4, 'Beira da piscina');
INSERT INTO public.mesa VALUES ('9999', '00001', '99', 'BALCA', 'Mesa Padrão', 'A', 'D', 1, 'Pedidos sem mesa');
INSERT INTO public.mesa VALUES ('9999', '01', '101', 'SAL', 'Loja 01 - Mesa 1', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '102', 'SAL', 'Loja 01 - Mesa 2', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '103', 'SAL', 'Loja 01 - Mesa 3', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '104', 'SAL', 'Loja 01 - Mesa 4', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '105', 'SAL', 'Loja 01 - Mesa 5', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '106', 'SAL', 'Loja 01 - Mesa 6', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '107', 'VAR', 'Loja 01 - Varanda 1', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '108', 'VAR', 'Loja 01 - Varanda 2', 'A', 'O', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '109', 'VAR', 'Loja 01 - Varanda 3', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '110', 'VAR', 'Loja 01 - Varanda 4', 'A', 'D', 2, NULL);
INSERT INTO public.mesa VALUES ('9999', '01', '199', 'SAL', 'Loja 01 - Mesa Padrão', 'A', 'D', 1, NULL);
INSERT INTO public.mesa VALUES ('0001', '00001', '1', 'SAL', 'Mesa 01', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('0001', '00001', '2', 'SAL', 'Mesa 02', 'A', 'D', 4, NULL);
INSERT INTO public.mesa VALUES ('0001', '00001', '3', 'SAL', 'Mesa 03', 'A', 'D', 4, NULL);


--
-- Data for Name: qdl_terminal_filial; Type: TABLE DATA; Schema: public; Owner: -
--



--
-- Data for Name: qdl_versao; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.qdl_versao VALUES (1, '2026-12-07 23:02:34.721823');
INSERT INTO public.qdl_versao VALUES (2, '2026-12-07 23:02:34.721823');


--
-- Data for Name: sala; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.sala VALUES ('9999', 'SAL', 'Salão Principal', 'A');
INSERT INTO public.sala VALUES ('9999', 'VAR', 'Varanda', 'A');
INSERT INTO public.sala VALUES ('9999', 'TER', 'Terraço', 'A');
INSERT INTO public.sala VALUES ('9999', 'AVIP', 'Área VIP', 'A');
INSERT INTO public.sala VALUES ('9999', 'BALCA', 'Balcão', 'A');
INSERT INTO public.sala VALUES ('9999', 'DECK', 'Deck da Piscina', 'A');
INSERT INTO public.sala VALUES ('9999', 'MEZAN', 'Mezanino', 'I');
INSERT INTO public.sala VALUES ('0001', 'SAL', 'Salão', 'A');
INSERT INTO public.sala VALUES ('0001', 'JARD', 'Jardim', 'A');


--
-- Name: conftela pk_conftela; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.conftela
    ADD CONSTRAINT pk_conftela PRIMARY KEY (cdfilial, nrconftela);


--
-- Name: itmenuconfte pk_itmenuconfte; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.itmenuconfte
    ADD CONSTRAINT pk_itmenuconfte PRIMARY KEY (cdfilial, nrconftela, idtpbutton, nrbutton, nrpgconftela, idtpbutonaux, nrbuttonaux, nrpgconftaux);


--
-- Name: loja pk_loja; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.loja
    ADD CONSTRAINT pk_loja PRIMARY KEY (cdfilial, cdloja);


--
-- Name: mesa pk_mesa; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.mesa
    ADD CONSTRAINT pk_mesa PRIMARY KEY (cdfilial, cdloja, nrmesa);


--
-- Name: qdl_terminal_filial pk_qdl_terminal_filial; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.qdl_terminal_filial
    ADD CONSTRAINT pk_qdl_terminal_filial PRIMARY KEY (rolname, cdfilial);


--
-- Name: qdl_versao pk_qdl_versao; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.qdl_versao
    ADD CONSTRAINT pk_qdl_versao PRIMARY KEY (nrversao);


--
-- Name: sala pk_sala; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.sala
    ADD CONSTRAINT pk_sala PRIMARY KEY (cdfilial, cdsala);


--
-- Name: itmenuconfte uk_itmenuconfte_ident; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.itmenuconfte
    ADD CONSTRAINT uk_itmenuconfte_ident UNIQUE (cdfilial, nrconftela, idtpbutton, cdidentbuton);


--
-- Name: ix_itmenuconfte_pai; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX ix_itmenuconfte_pai ON public.itmenuconfte USING btree (cdfilial, nrconftela, idtpbutonaux, nrbuttonaux, nrpgconftaux, nrpgconftela);


--
-- Name: ix_mesa_loja_sala; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX ix_mesa_loja_sala ON public.mesa USING btree (cdfilial, cdloja, cdsala);


--
-- Name: ix_mesa_nrmesa; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX ix_mesa_nrmesa ON public.mesa USING btree (cdfilial, nrmesa, cdsala);


--
-- Name: ix_mesa_sala; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX ix_mesa_sala ON public.mesa USING btree (cdfilial, cdsala, idstmesaaux);


--
-- Name: itmenuconfte qdl_itmenuconfte_avisa; Type: TRIGGER; Schema: public; Owner: -
--

CREATE TRIGGER qdl_itmenuconfte_avisa AFTER INSERT OR DELETE OR UPDATE ON public.itmenuconfte FOR EACH ROW EXECUTE FUNCTION public.qdl_avisa_leiaute();


--
-- Name: conftela; Type: ROW SECURITY; Schema: public; Owner: -
--

ALTER TABLE public.conftela ENABLE ROW LEVEL SECURITY;

--
-- Name: itmenuconfte; Type: ROW SECURITY; Schema: public; Owner: -
--

ALTER TABLE public.itmenuconfte ENABLE ROW LEVEL SECURITY;

--
-- Name: loja; Type: ROW SECURITY; Schema: public; Owner: -
--

ALTER TABLE public.loja ENABLE ROW LEVEL SECURITY;

--
-- Name: mesa; Type: ROW SECURITY; Schema: public; Owner: -
--

ALTER TABLE public.mesa ENABLE ROW LEVEL SECURITY;

--
-- Name: conftela qdl_filial; Type: POLICY; Schema: public; Owner: -
--

CREATE POLICY qdl_filial ON public.conftela USING (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text))))) WITH CHECK (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))));


--
-- Name: itmenuconfte qdl_filial; Type: POLICY; Schema: public; Owner: -
--

CREATE POLICY qdl_filial ON public.itmenuconfte USING (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text))))) WITH CHECK (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))));


--
-- Name: loja qdl_filial; Type: POLICY; Schema: public; Owner: -
--

CREATE POLICY qdl_filial ON public.loja USING (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text))))) WITH CHECK (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))));


--
-- Name: mesa qdl_filial; Type: POLICY; Schema: public; Owner: -
--

CREATE POLICY qdl_filial ON public.mesa USING (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text))))) WITH CHECK (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))));


--
-- Name: sala qdl_filial; Type: POLICY; Schema: public; Owner: -
--

CREATE POLICY qdl_filial ON public.sala USING (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text))))) WITH CHECK (((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))) OR ((cdfilial)::text IN ( SELECT t.cdfilial
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))));


--
-- Name: qdl_terminal_filial qdl_proprio; Type: POLICY; Schema: public; Owner: -
--

CREATE POLICY qdl_proprio ON public.qdl_terminal_filial FOR SELECT USING (((rolname)::text = (CURRENT_USER)::text));


--
-- Name: mesa qdl_so_trava; Type: POLICY; Schema: public; Owner: -
--

CREATE POLICY qdl_so_trava ON public.mesa AS RESTRICTIVE FOR UPDATE USING (true) WITH CHECK ((NOT (EXISTS ( SELECT 1
   FROM public.qdl_terminal_filial t
  WHERE ((t.rolname)::text = (CURRENT_USER)::text)))));


--
-- Name: qdl_terminal_filial; Type: ROW SECURITY; Schema: public; Owner: -
--

ALTER TABLE public.qdl_terminal_filial ENABLE ROW LEVEL SECURITY;

--
-- Name: sala; Type: ROW SECURITY; Schema: public; Owner: -
--

ALTER TABLE public.sala ENABLE ROW LEVEL SECURITY;

--
-- PostgreSQL database dump complete
--

\unrestrict eP44SJQUkhqfGKNxjr6lxZVwgDFWCdfl2xKdjxkwi3YtCqhDpuBcHtwZ6TuFV5x

