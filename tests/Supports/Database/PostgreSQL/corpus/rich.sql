-- A schema with the awkward things real schemas hold. Statements are split
-- at lines holding only "--;"; a line "--@ 11" makes the rest of the file
-- need that major version.
CREATE SCHEMA "Rïch ""Schema"""
--;
CREATE TYPE "Rïch ""Schema""".mood AS ENUM ('sad', 'o''k', 'happy')
--;
CREATE DOMAIN "Rïch ""Schema""".posint AS integer DEFAULT 1 NOT NULL CONSTRAINT positive CHECK (VALUE > 0)
--;
CREATE TYPE "Rïch ""Schema""".pair_t AS (a integer, "b c" text COLLATE "C", m "Rïch ""Schema""".mood)
--;
CREATE TYPE "Rïch ""Schema""".floats AS RANGE (SUBTYPE = float8)
--;
COMMENT ON TYPE "Rïch ""Schema""".mood IS 'it''s a mood'
--;
CREATE SEQUENCE "Rïch ""Schema""".tickets AS integer START WITH 100 INCREMENT BY 7 MINVALUE 5 MAXVALUE 100000 CACHE 3 CYCLE
--;
CREATE TABLE "Rïch ""Schema"""."select" ("order" serial PRIMARY KEY, "Mixed Case" varchar(12) COLLATE "C" NOT NULL DEFAULT 'x''y', amount numeric(12,3) DEFAULT 0, tags text[], grid integer[], feeling "Rïch ""Schema""".mood, size "Rïch ""Schema""".posint, at timestamptz DEFAULT now(), doc jsonb, code char(3), bits bit varying(8), span "Rïch ""Schema""".floats, ticket integer DEFAULT nextval('"Rïch ""Schema""".tickets'::regclass))
--;
COMMENT ON TABLE "Rïch ""Schema"""."select" IS 'a ''table'' with "quotes"'
--;
COMMENT ON COLUMN "Rïch ""Schema"""."select"."Mixed Case" IS 'ünï'
--;
CREATE TABLE "Rïch ""Schema""".pair (a int, b int, note text, PRIMARY KEY (b, a))
--;
CREATE TABLE "Rïch ""Schema""".audit (id int CONSTRAINT "Audit Key" PRIMARY KEY, pair_a int, pair_b int)
--;
CREATE TABLE "Rïch ""Schema""".child (x int CONSTRAINT pos CHECK (x > 0), y int, z int, CONSTRAINT "fk two" FOREIGN KEY (y, x) REFERENCES "Rïch ""Schema""".pair (b, a) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED, CONSTRAINT u_yx UNIQUE (y, x))
--;
ALTER TABLE "Rïch ""Schema""".audit ADD CONSTRAINT to_child FOREIGN KEY (pair_b, pair_a) REFERENCES "Rïch ""Schema""".child (y, x)
--;
CREATE TABLE "Rïch ""Schema""".ring_a (id int PRIMARY KEY, b_id int)
--;
CREATE TABLE "Rïch ""Schema""".ring_b (id int PRIMARY KEY, a_id int REFERENCES "Rïch ""Schema""".ring_a (id))
--;
ALTER TABLE "Rïch ""Schema""".ring_a ADD CONSTRAINT ring FOREIGN KEY (b_id) REFERENCES "Rïch ""Schema""".ring_b (id)
--;
CREATE TABLE "Rïch ""Schema""".self (id int PRIMARY KEY, parent int REFERENCES "Rïch ""Schema""".self (id))
--;
CREATE TABLE "Rïch ""Schema""".ex (r box, CONSTRAINT no_overlap EXCLUDE USING gist (r WITH &&))
--;
COMMENT ON CONSTRAINT pos ON "Rïch ""Schema""".child IS 'must be positive'
--;
CREATE INDEX "part idx" ON "Rïch ""Schema""".pair (note) WHERE note IS NOT NULL
--;
CREATE INDEX expr_idx ON "Rïch ""Schema""".pair (lower(note))
--;
CREATE INDEX desc_idx ON "Rïch ""Schema""".pair (a DESC NULLS LAST, b NULLS FIRST) WITH (fillfactor = 80)
--;
CREATE INDEX pat_idx ON "Rïch ""Schema""".pair (note COLLATE "C" text_pattern_ops)
--;
CREATE UNIQUE INDEX uq_note ON "Rïch ""Schema""".pair USING btree (note)
--;
COMMENT ON INDEX "Rïch ""Schema""".expr_idx IS 'lower'
--;
CREATE TABLE "Rïch ""Schema""".measure (at date NOT NULL, v int) PARTITION BY RANGE (at)
--;
CREATE TABLE "Rïch ""Schema""".measure_2024 PARTITION OF "Rïch ""Schema""".measure FOR VALUES FROM ('2024-01-01') TO ('2025-01-01')
--;
CREATE TABLE "Rïch ""Schema""".by_list (k text, v int) PARTITION BY LIST (k)
--;
CREATE TABLE "Rïch ""Schema""".by_list_ab PARTITION OF "Rïch ""Schema""".by_list FOR VALUES IN ('a', 'b')
--;
CREATE TABLE "Rïch ""Schema""".base (id int, note text CHECK (note <> ''))
--;
CREATE TABLE "Rïch ""Schema""".derived (extra text) INHERITS ("Rïch ""Schema""".base)
--;
CREATE UNLOGGED TABLE "Rïch ""Schema""".scratch (id int) WITH (fillfactor = 70)
--;
CREATE VIEW "Rïch ""Schema""".v AS SELECT a, b FROM "Rïch ""Schema""".pair
--;
CREATE VIEW "Rïch ""Schema""".a_view_on_v AS SELECT a FROM "Rïch ""Schema""".v WHERE b > 1
--;
CREATE VIEW "Rïch ""Schema""".checked WITH (security_barrier) AS SELECT a FROM "Rïch ""Schema""".pair WHERE a > 0 WITH LOCAL CHECK OPTION
--;
COMMENT ON VIEW "Rïch ""Schema""".v IS 'view''s comment'
--;
CREATE MATERIALIZED VIEW "Rïch ""Schema""".mv AS SELECT a FROM "Rïch ""Schema""".pair WITH NO DATA
--;
CREATE MATERIALIZED VIEW "Rïch ""Schema""".mv_data AS SELECT a, b FROM "Rïch ""Schema""".v
--;
CREATE UNIQUE INDEX mv_data_ab ON "Rïch ""Schema""".mv_data (a, b)
--;
COMMENT ON MATERIALIZED VIEW "Rïch ""Schema""".mv_data IS 'with data'
--;
CREATE FUNCTION "Rïch ""Schema""".f(a int, b text DEFAULT 'x, y', OUT c int) LANGUAGE sql STABLE STRICT AS 'SELECT a'
--;
CREATE FUNCTION "Rïch ""Schema""".f(a text) RETURNS SETOF text LANGUAGE sql IMMUTABLE COST 5 ROWS 20 AS $$SELECT a$$
--;
CREATE FUNCTION "Rïch ""Schema""".tab() RETURNS TABLE (x int, "y z" text) LANGUAGE sql AS $$SELECT 1, 'a'$$
--;
CREATE FUNCTION "Rïch ""Schema""".g(VARIADIC d int[]) RETURNS int LANGUAGE plpgsql SECURITY DEFINER AS $fn$
BEGIN
  RETURN array_length(d, 1); -- $BODY$ would end a naive quote
END
$fn$
--;
CREATE FUNCTION "Rïch ""Schema""".uses_later() RETURNS bigint LANGUAGE sql AS 'SELECT count(*) FROM "Rïch ""Schema""".pair'
--;
COMMENT ON FUNCTION "Rïch ""Schema""".g(int[]) IS 'variadic'
--;
CREATE AGGREGATE "Rïch ""Schema""".f(bigint) (SFUNC = int8pl, STYPE = bigint)
--;
CREATE FUNCTION "Rïch ""Schema""".trig_fn() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RETURN NEW; END$$
--;
CREATE TRIGGER t1 AFTER INSERT OR UPDATE OF a, note ON "Rïch ""Schema""".pair FOR EACH ROW WHEN (NEW.a > 0) EXECUTE PROCEDURE "Rïch ""Schema""".trig_fn('arg1', 'it''s')
--;
ALTER TABLE "Rïch ""Schema""".pair DISABLE TRIGGER t1
--;
CREATE TRIGGER "every statement" BEFORE DELETE OR TRUNCATE ON "Rïch ""Schema""".pair FOR EACH STATEMENT EXECUTE PROCEDURE "Rïch ""Schema""".trig_fn()
--;
CREATE CONSTRAINT TRIGGER ct AFTER INSERT ON "Rïch ""Schema""".child DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE PROCEDURE "Rïch ""Schema""".trig_fn()
--;
COMMENT ON TRIGGER t1 ON "Rïch ""Schema""".pair IS 'disabled'
--;
CREATE RULE r1 AS ON DELETE TO "Rïch ""Schema""".pair WHERE OLD.a < 0 DO INSTEAD NOTHING
--;
CREATE RULE r2 AS ON INSERT TO "Rïch ""Schema""".pair DO ALSO NOTIFY pair_changed
--;
CREATE RULE r3 AS ON UPDATE TO "Rïch ""Schema""".audit DO ALSO INSERT INTO "Rïch ""Schema""".scratch (id) VALUES (NEW.id)
--@ 11
CREATE INDEX inc_idx ON "Rïch ""Schema""".pair (a) INCLUDE (note)
--;
CREATE TABLE "Rïch ""Schema""".covering (k int, "Extra Col" text, CONSTRAINT cover UNIQUE (k) INCLUDE ("Extra Col") WITH (fillfactor = 90))
--;
CREATE PROCEDURE "Rïch ""Schema""".p(INOUT n int) LANGUAGE sql AS 'SELECT n'
--;
CREATE TABLE "Rïch ""Schema""".by_hash (id int) PARTITION BY HASH (id)
--;
CREATE TABLE "Rïch ""Schema""".by_hash_0 PARTITION OF "Rïch ""Schema""".by_hash FOR VALUES WITH (MODULUS 2, REMAINDER 0)
--;
CREATE TABLE "Rïch ""Schema""".by_list_rest PARTITION OF "Rïch ""Schema""".by_list DEFAULT
--@ 12
ALTER TABLE "Rïch ""Schema"""."select" ADD COLUMN total numeric GENERATED ALWAYS AS (amount * 2) STORED
--;
CREATE TABLE "Rïch ""Schema""".ident (id bigint GENERATED BY DEFAULT AS IDENTITY (START WITH 10 INCREMENT BY 5 MINVALUE 10 MAXVALUE 1000000 CYCLE), n int GENERATED ALWAYS AS IDENTITY)
