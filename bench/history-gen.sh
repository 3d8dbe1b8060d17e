#!/usr/bin/env bash
# Fills a chain database's layout history (QDL_HISTORICO) with generated
# records for the history's benchmarks (BENCHMARKS.md, "The history at a
# chain's size"): COUNT records over the year before END (UTC), oldest first
# as the trigger writes them, each an update of a table's button with its
# row before and after, spread over 301 branches of 5 configurations. The
# database must hold the schema already (qdl-gen makes one); records there
# stay. Loaded a million a transaction. Each record names its button
# (DSCHAVE) as the schema's triggers name it.
#
#   bench/history-gen.sh sqlite:/dev/shm/h.db 1000000 ['2026-12-01 00:00:00']
#   bench/history-gen.sh postgresql://qdl@127.0.0.1:5432/chain 10000000
set -euo pipefail
db="${1:?database: sqlite:FILE or a postgresql:// URL}"
count="${2:?number of records}"
end="${3:-2026-12-01 00:00:00}"
chunk=1000000
step="$(awk -v n="$count" 'BEGIN { printf "%.6f", 365 * 86400 / n }')" # seconds between records

for ((from = 0; from < count; from += chunk)); do
  to=$((from + chunk < count ? from + chunk : count))
  case "$db" in
  sqlite:*)
    sqlite3 "${db#sqlite:}" <<SQL
PRAGMA journal_mode = WAL;
WITH RECURSIVE n(i) AS (SELECT $from UNION ALL SELECT i + 1 FROM n WHERE i + 1 < $to),
r(i, t, filial, conf, botao) AS (
  SELECT i, strftime('%Y-%m-%d %H:%M:%f', '$end', '-365 days', '+' || (i * $step) || ' seconds'),
         printf('%04d', i % 301 + 1), printf('%05d', i / 301 % 5 + 1), printf('%02d', i % 60 + 1) FROM n)
INSERT INTO QDL_HISTORICO (DTALTERACAO, IDOPERACAO, CDFILIAL, NRCONFTELA, DSCHAVE, DSQUEM, DSANTES, DSDEPOIS)
SELECT t, 'U', filial, conf, json_array('4', botao, '1', '3', '01', NULL),
  'caixa' || (i % 50) || '@10.0.0.' || (i % 200) || ' (quadrel-qdl00005)',
  json_object('CDFILIAL', filial, 'NRCONFTELA', conf, 'IDTPBUTTON', '4', 'NRBUTTON', botao, 'CDIDENTBUTON', botao,
    'DSBUTTON', 'Mesa ' || botao, 'NRCOLORTEXT', 0, 'NRCOLORBACK', 9474224, 'DSMESSAGEBUT', NULL, 'IDTPBUTONAUX', '3',
    'NRBUTTONAUX', '01', 'NRPGCONFTELA', '1', 'NRPGCONFTAUX', NULL, 'DTULTATUITCT', t),
  json_object('CDFILIAL', filial, 'NRCONFTELA', conf, 'IDTPBUTTON', '4', 'NRBUTTON', botao, 'CDIDENTBUTON', botao,
    'DSBUTTON', 'Mesa ' || botao || ' (varanda)', 'NRCOLORTEXT', 0, 'NRCOLORBACK', 255, 'DSMESSAGEBUT', NULL,
    'IDTPBUTONAUX', '3', 'NRBUTTONAUX', '01', 'NRPGCONFTELA', '1', 'NRPGCONFTAUX', NULL, 'DTULTATUITCT', t)
FROM r ORDER BY i;
SQL
    ;;
  postgresql:* | postgres:*)
    psql -q -v ON_ERROR_STOP=1 "$db" <<SQL
INSERT INTO QDL_HISTORICO (DTALTERACAO, IDOPERACAO, CDFILIAL, NRCONFTELA, DSCHAVE, DSQUEM, DSANTES, DSDEPOIS)
SELECT t, 'U', filial, conf, json_build_array('4', botao, '1', '3', '01', NULL)::text,
  'caixa' || (i % 50) || '@10.0.0.' || (i % 200) || ' (quadrel-qdl00005)',
  jsonb_build_object('CDFILIAL', filial, 'NRCONFTELA', conf, 'IDTPBUTTON', '4', 'NRBUTTON', botao, 'CDIDENTBUTON', botao,
    'DSBUTTON', 'Mesa ' || botao, 'NRCOLORTEXT', 0, 'NRCOLORBACK', 9474224, 'DSMESSAGEBUT', NULL, 'IDTPBUTONAUX', '3',
    'NRBUTTONAUX', '01', 'NRPGCONFTELA', '1', 'NRPGCONFTAUX', NULL, 'DTULTATUITCT', t)::text,
  jsonb_build_object('CDFILIAL', filial, 'NRCONFTELA', conf, 'IDTPBUTTON', '4', 'NRBUTTON', botao, 'CDIDENTBUTON', botao,
    'DSBUTTON', 'Mesa ' || botao || ' (varanda)', 'NRCOLORTEXT', 0, 'NRCOLORBACK', 255, 'DSMESSAGEBUT', NULL,
    'IDTPBUTONAUX', '3', 'NRBUTTONAUX', '01', 'NRPGCONFTELA', '1', 'NRPGCONFTAUX', NULL, 'DTULTATUITCT', t)::text
FROM (SELECT i, CAST('$end+00' AS TIMESTAMPTZ) - INTERVAL '365 days' + i * $step * INTERVAL '1 second' AS t,
             lpad((i % 301 + 1)::text, 4, '0') AS filial, lpad((i / 301 % 5 + 1)::text, 5, '0') AS conf,
             lpad((i % 60 + 1)::text, 2, '0') AS botao
      FROM generate_series($from, $to - 1) i) r ORDER BY i;
SQL
    ;;
  *) echo "history-gen: sqlite:FILE or postgresql://..." >&2; exit 2 ;;
  esac
done
case "$db" in
sqlite:*) sqlite3 "${db#sqlite:}" 'ANALYZE' ;;
*) psql -q "$db" -c 'VACUUM ANALYZE QDL_HISTORICO' ;;
esac
