-- A catalog of :tables tables (5 to 10 columns each, a primary key, a
-- foreign key to the previous table, an index and a check), 100 views and
-- 100 functions, in schema bench. Run with psql -v tables=N.
CREATE SCHEMA bench;
SELECT format('CREATE TABLE bench.t%s (id integer PRIMARY KEY, parent integer%s, %s)',
              i, CASE WHEN i > 1 THEN format(' REFERENCES bench.t%s (id)', i - 1) ELSE '' END,
              (SELECT string_agg(format('c%s %s', c,
                      (ARRAY['text', 'numeric(12,2)', 'timestamptz', 'varchar(40)', 'boolean',
                             'jsonb', 'bigint', 'date'])[1 + (i + c) % 8]), ', ')
                 FROM generate_series(1, 3 + i % 6) c))
       || format('; ALTER TABLE bench.t%1$s ADD CONSTRAINT t%1$s_parent_check CHECK (parent > 0)', i)
       || format('; CREATE INDEX t%1$s_c1 ON bench.t%1$s (c1)', i)
  FROM generate_series(1, :tables) i
\gexec
SELECT format('CREATE VIEW bench.v%s AS SELECT id, parent FROM bench.t%s WHERE id > %s', i, i, i)
  FROM generate_series(1, 100) i
\gexec
SELECT format('CREATE FUNCTION bench.f%s(a integer, b text DEFAULT ''x'') RETURNS integer'
              ' LANGUAGE sql AS ''SELECT a + %s''', i, i)
  FROM generate_series(1, 100) i
\gexec
ANALYZE;
