-- A catalog of :schemas schemas s1 .. sN of :tables tables each (5 to 10
-- columns, a primary key, a unique key, a check, a foreign key to the
-- previous table of its schema, one more index, a trigger and comments), and
-- per schema one view and one function for every ten tables (at least one).
-- Run with psql -v schemas=S -v tables=T.
CREATE FUNCTION public.bench_touch() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RETURN NEW; END$$;
SELECT format('CREATE SCHEMA s%s', s) FROM generate_series(1, :schemas) s
\gexec
SELECT format('CREATE TABLE s%1$s.t%2$s (id integer PRIMARY KEY, parent integer%3$s, code text UNIQUE, %4$s)',
              s, i, CASE WHEN i > 1 THEN format(' REFERENCES s%s.t%s (id)', s, i - 1) ELSE '' END,
              (SELECT string_agg(format('c%s %s', c,
                      (ARRAY['text', 'numeric(12,2)', 'timestamptz', 'varchar(40)', 'boolean',
                             'jsonb', 'bigint', 'date'])[1 + (i + c) % 8]), ', ')
                 FROM generate_series(1, 2 + i % 6) c))
       || format('; ALTER TABLE s%1$s.t%2$s ADD CONSTRAINT t%2$s_parent_check CHECK (parent > 0)', s, i)
       || format('; CREATE INDEX t%2$s_c1 ON s%1$s.t%2$s (c1)', s, i)
       || format('; CREATE TRIGGER t%2$s_touch BEFORE UPDATE ON s%1$s.t%2$s FOR EACH ROW'
                 ' EXECUTE PROCEDURE public.bench_touch()', s, i)
       || format('; COMMENT ON TABLE s%1$s.t%2$s IS %3$L', s, i, format('table %s of tenant %s', i, s))
       || format('; COMMENT ON COLUMN s%1$s.t%2$s.code IS ''the code''', s, i)
  FROM generate_series(1, :schemas) s, generate_series(1, :tables) i
\gexec
SELECT format('CREATE VIEW s%1$s.v%2$s AS SELECT id, parent FROM s%1$s.t%2$s WHERE id > %2$s', s, i)
       || format('; CREATE FUNCTION s%1$s.f%2$s(a integer, b text DEFAULT ''x'') RETURNS integer'
                 ' LANGUAGE sql AS ''SELECT a + %2$s''', s, i)
  FROM generate_series(1, :schemas) s, generate_series(1, greatest(1, :tables / 10)) i
\gexec
ANALYZE;
